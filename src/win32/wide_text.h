#pragma once
// The program's UTF-16 text as Windows takes it: wchar_t is 16 bits there.
#include <string>
#include <string_view>

namespace tetomu {

// The line break the system's edit boxes, list boxes and message boxes show.
inline constexpr std::u16string_view kEditLineBreak = u"\r\n";

// Needs text whose character after the end is a NUL, as a std::u16string's or a literal's.
inline const wchar_t* wide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

inline std::wstring wideString(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace tetomu
