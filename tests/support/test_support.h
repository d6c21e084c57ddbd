#pragma once
// Shared by every test program, on every platform: a real temporary folder, its files as bytes,
// text in code page 932, and memo folders as the program leaves them.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "store/cp932_codec.h"
#include "store/title.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tetomu::test {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::random_device random;
        do
            path_ = fs::temp_directory_path() / ("tetomu-test-" + std::to_string(random()));
        while (!fs::create_directory(path_));
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(path_, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// A folder's files by name, with their bytes.
using Folder = std::map<std::string, std::string>;
using File = Folder::value_type;

// A file's bytes; "<link>name", a link to that name; "<pipe>", a named pipe (not on Windows).
inline void writeFolder(const fs::path& dir, const Folder& folder) {
    for (const auto& [name, bytes] : folder) {
        if (bytes.starts_with("<link>")) fs::create_symlink(bytes.substr(6), dir / name);
#ifndef _WIN32
        else if (bytes == "<pipe>")
            ::mkfifo((dir / name).c_str(), 0600);
#endif
        else
            writeBytes(dir / name, bytes);
    }
}

// The memo folder of a program folder, made with these files.
inline fs::path makeMemoFolder(const fs::path& programFolder, const Folder& files = {}) {
    const fs::path memo = programFolder / "memo";
    fs::create_directories(memo);
    writeFolder(memo, files);
    return memo;
}

// Every entry of a folder by name, as writeFolder takes it; anything else as "<other>".
inline Folder folderBytes(const fs::path& dir) {
    Folder out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const fs::path& p = entry.path();
        std::string& bytes = out[p.filename().string()];
        bytes = entry.is_fifo() ? "<pipe>" : entry.is_regular_file() ? readBytes(p) : "<other>";
        if (entry.is_symlink()) bytes = "<link>" + fs::read_symlink(p).string();
    }
    return out;
}

inline std::u16string repeat(std::u16string_view text, int times) {
    std::u16string out;
    while (times-- > 0)
        out += text;
    return out;
}

inline std::string sjis(std::u16string_view text) {
    return Cp932Codec().encode(text);
}

// Memo folders as the program leaves them: memo(n, text) is n.txt, index(titles) is group.gl, and
// memos(texts) is the whole folder for these memos; raw ones hold the bytes given.
inline File memo(int n, std::u16string_view text) {
    return {std::to_string(n) + ".txt", sjis(text)};
}
inline File rawMemo(int n, std::string bytes) {
    return {std::to_string(n) + ".txt", std::move(bytes)};
}
inline File index(const std::vector<std::u16string>& titles) {
    std::u16string text;
    for (const auto& t : titles)
        text += t + u"\r\n";
    return {"group.gl", sjis(text)};
}
inline File rawIndex(std::string bytes) {
    return {"group.gl", std::move(bytes)};
}
inline Folder memos(const std::vector<std::u16string>& texts) {
    Folder folder;
    std::vector<std::u16string> titles;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        folder.insert(memo(int(i), texts[i]));
        titles.push_back(titleOf(texts[i]));
    }
    folder.insert(index(titles));
    return folder;
}
inline Folder with(Folder folder, const Folder& changed) {
    for (const auto& [name, bytes] : changed)
        folder[name] = bytes;
    return folder;
}
inline Folder without(Folder folder, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        folder.erase(name);
    return folder;
}

}  // namespace tetomu::test
