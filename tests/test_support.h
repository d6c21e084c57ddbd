#pragma once
// Shared by the core tests: a real temporary memo folder, a platform fake that records what the
// window asked of it, and a file system that can be told to refuse a call.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "store/cp932_codec.h"
#include "store/posix_file_system.h"
#include "store/store_error.h"
#include "store/title.h"
#include "window/memo_window.h"
#include "window/window_platform.h"

namespace tetomu::test {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tetomu-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// The names in a folder, sorted, so a test can say exactly which files exist.
inline std::vector<std::string> fileNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class FakePlatform final : public WindowPlatform {
  public:
    bool otherCopy = false;
    NativeString directory;
    std::vector<std::u16string> messages;
    std::vector<std::pair<InsertAfter, unsigned>> placements;
    std::vector<std::u16string> errors;
    std::function<void(const std::u16string&)> whileMessageShown;

    bool anotherCopyRunning() override { return otherCopy; }
    NativeString programDirectory() override { return directory; }
    void MsgBox(const std::u16string& prompt) override {
        messages.push_back(prompt);
        if (whileMessageShown) whileMessageShown(prompt);
    }
    void SetWindowPos(InsertAfter insertAfter, unsigned flags) override {
        placements.emplace_back(insertAfter, flags);
    }
    void runtimeError(const std::u16string& text) override { errors.push_back(text); }
};

// The real file system, with a hook that may refuse any call before it happens.
class FaultyFileSystem final : public FileSystem {
  public:
    // Called with the operation's name and path; throw a StoreError to refuse the call.
    std::function<void(std::string_view op, const fs::path& path)> before;
    std::vector<std::string> calls;

    std::string read(const fs::path& p) override { return check("read", p), real_.read(p); }
    std::string readOrCreate(const fs::path& p) override {
        return check("readOrCreate", p), real_.readOrCreate(p);
    }
    void write(const fs::path& p, std::string_view bytes) override {
        check("write", p);
        real_.write(p, bytes);
    }
    void rename(const fs::path& from, const fs::path& to) override {
        check("rename", from);
        real_.rename(from, to);
    }
    void remove(const fs::path& p) override {
        check("remove", p);
        real_.remove(p);
    }
    bool exists(const fs::path& p) override { return real_.exists(p); }

  private:
    void check(std::string_view op, const fs::path& p) {
        calls.push_back(std::string(op) + " " + p.filename().string());
        if (before) before(op, p);
    }
    PosixFileSystem real_;
};

inline StoreError diskFull(const fs::path& p) {
    return StoreError(StoreFault::DiskFull, 28, "No space left on device", p);
}

// A started window on a memo folder in a temporary directory.
class WindowTest : public ::testing::Test {
  protected:
    TempDir dir;
    fs::path memoDir = dir.path() / "memo";
    Cp932Codec codec;
    FaultyFileSystem files;
    FakePlatform platform;
    HandlerTrace handlers;
    std::unique_ptr<MemoWindow> window;

    WindowTest() {
        fs::create_directory(memoDir);
        platform.directory = dir.path().native();
    }

    // Moves to a fresh memo folder inside run, for a test that plays many sessions in turn.
    void useFolderIn(const TempDir& run) {
        memoDir = run.path() / "memo";
        fs::create_directory(memoDir);
        platform = FakePlatform{};
        platform.directory = run.path().native();
        files.before = nullptr;
    }

    // Lays out memos as the program would have stored them, then starts the window.
    void start(const std::vector<std::u16string>& texts = {}) {
        std::u16string index;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            writeBytes(memo(int(i)), codec.encode(texts[i]));
            index += TitleFor(texts[i]) + u"\r\n";
        }
        if (!texts.empty()) writeBytes(indexPath(), codec.encode(index));
        startAsIs();
    }
    void startAsIs() {
        window = std::make_unique<MemoWindow>(files, codec, platform);
        window->trace = &handlers;
        ASSERT_EQ(window->start(), StartResult::Shown);
        handlers.lines.clear();
    }

    static std::u16string TitleFor(const std::u16string& text) { return TitleOf(text); }

    fs::path indexPath() const { return memoDir / "group.gl"; }
    fs::path memo(int n) const { return memoDir / (std::to_string(n) + ".txt"); }
    std::string indexBytes() const { return readBytes(indexPath()); }
    std::string memoBytes(int n) const { return readBytes(memo(n)); }
    std::vector<std::string> files_on_disk() const { return fileNames(memoDir); }

    MemoWindow& w() { return *window; }
    std::vector<std::u16string> items() const { return window->List1.items(); }
    // A person typing: each character is one edit of the text box.
    void type(std::u16string_view chars) {
        for (char16_t c : chars)
            w().userEdit(w().txtmemo.Text() + c);
    }
};

}  // namespace tetomu::test
