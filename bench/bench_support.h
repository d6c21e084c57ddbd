#pragma once
// What the benchmarks share: memo folders filled with realistic memos, a window on one with no
// front end attached, and the floor: the same atomic replace the store does, as plain system
// calls on bytes prepared beforehand, so that each figure can be given as a ratio to it.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/cp932_codec.h"
#include "store/posix_file_system.h"
#include "window/memo_window.h"
#include "window/window_platform.h"

namespace tetomu::bench {

namespace fs = std::filesystem;

// True when SMOKE is set: CI runs every benchmark once on small sizes, to prove they still run.
bool smoke();
// The memo counts to measure at: the given ones, or small ones under SMOKE.
std::vector<std::int64_t> sizes(std::vector<std::int64_t> full);

// A memo's text: a first line of 60 characters, half of them Japanese, then a few hundred
// characters of mixed Japanese and ASCII in lines. Deterministic for each number.
std::u16string memoText(int n, std::size_t bodyLength = 300);

// A folder in the temporary directory holding "memo/" with `count` memos and an index, as the
// program would have stored them, and a "floor/" folder with the same files for the floor.
// With bigBody, memo count/2 has a body of that many characters. Made once per kind and kept
// for the whole run; removed at exit.
class MemoFolder {
  public:
    static MemoFolder& get(int count, std::size_t bigBody = 0);
    MemoFolder(int count, std::size_t bigBody);
    ~MemoFolder();
    MemoFolder(const MemoFolder&) = delete;
    MemoFolder& operator=(const MemoFolder&) = delete;

    const fs::path& base() const { return base_; }
    fs::path memoDir() const { return base_ / "memo"; }
    fs::path floorDir() const { return base_ / "floor"; }
    int count() const { return count_; }

  private:
    fs::path base_;
    int count_;
};

class QuietPlatform final : public WindowPlatform {
  public:
    explicit QuietPlatform(NativeString directory) : directory_(std::move(directory)) {}
    bool anotherCopyRunning() override { return false; }
    NativeString programDirectory() override { return directory_; }
    void MsgBox(const std::u16string&) override { ++messages; }
    void SetWindowPos(InsertAfter, unsigned) override {}
    void runtimeError(const std::u16string& text) override;
    int messages = 0;

  private:
    NativeString directory_;
};

// A started window on a memo folder, with headless controls.
struct Session {
    explicit Session(const MemoFolder& folder);
    Cp932Codec codec;
    PosixFileSystem files;
    QuietPlatform platform;
    MemoWindow window;
};

// The unavoidable part of an operation, in plain system calls on prepared bytes.
class Floor {
  public:
    explicit Floor(fs::path dir) : dir_(std::move(dir)) {}
    // One atomic replace: a sibling file written, flushed with fdatasync, renamed over the name.
    void replace(const std::string& name, std::string_view bytes);
    void rename(const std::string& from, const std::string& to);
    void unlink(const std::string& name);
    std::string read(const std::string& name);
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

  private:
    fs::path dir_;
};

using Clock = std::chrono::steady_clock;
inline double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The resident set of this process in kilobytes, from /proc/self/status.
long residentKilobytes();

}  // namespace tetomu::bench
