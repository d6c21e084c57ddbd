#pragma once
// Shared by every test program, on every platform: a real temporary folder, its files as bytes,
// text in code page 932, and a platform that records what the window asked of it.
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "store/cp932_codec.h"
#include "window/window_platform.h"

namespace tetomu::test {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::random_device random;
        for (;;) {
            path_ = fs::temp_directory_path() / ("tetomu-test-" + std::to_string(random()));
            if (fs::create_directory(path_)) return;
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// Every entry of a folder by name: a plain file's bytes, anything else as "<other>".
inline std::map<std::string, std::string> folderBytes(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        out[name] =
            entry.is_regular_file() && !entry.is_symlink() ? readBytes(entry.path()) : "<other>";
    }
    return out;
}

inline std::string sjis(std::u16string_view text) {
    return Cp932Codec().encode(text);
}

class FakePlatform final : public WindowPlatform {
  public:
    bool otherCopy = false;
    NativeString directory;
    std::vector<std::u16string> messages;  // every box, the run-time error box included
    std::vector<bool> inFront;
    bool failed = false;
    std::function<void()> whileMessageShown;

    bool anotherCopyRunning() override { return otherCopy; }
    NativeString programDirectory() override { return directory; }
    void showMessage(const std::u16string& text) override {
        messages.push_back(text);
        if (whileMessageShown) whileMessageShown();
    }
    void keepInFront(bool front) override { inFront.push_back(front); }
    void afterShown(std::function<void()> task) override { task(); }
    void showRuntimeError(const std::u16string& text) override {
        messages.push_back(text);
        failed = true;
    }
};

}  // namespace tetomu::test
