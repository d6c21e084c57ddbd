#pragma once
// programFolder: the program's folder as every store path starts with it.
#include <filesystem>
#include <string>

namespace tetomu {

using NativeString = std::filesystem::path::string_type;

// A folder that ends in its separator is a root. "D:\" becomes "D:" (its first two characters)
// and "/" becomes "", so that programFolder + separator + "memo" names the memo folder in both.
template <class String>
String programFolderFrom(String directory, typename String::value_type separator) {
    if (directory.empty() || directory.back() != separator) return directory;
    if (separator == '\\') return directory.substr(0, 2);
    while (!directory.empty() && directory.back() == separator)
        directory.pop_back();
    return directory;
}

NativeString programFolderFrom(const NativeString& directory);

}  // namespace tetomu
