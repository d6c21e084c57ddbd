#pragma once
// What the benchmarks share: memo folders filled with realistic memos, and the floor. The floor
// of an operation is the program's own file work done as plain system calls: each iteration
// records the changes the operation made on disk (each atomic write with its size, each rename
// and removal) and then makes the same changes in a twin folder with open, write, fdatasync,
// close and rename. The ratio of the two, summed over the same iterations, is the figure.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store/cp932_codec.h"
#include "store/file_system_posix.h"
#include "window/memo_window.h"
#include "window/window_platform.h"

namespace tetomu::bench {

namespace fs = std::filesystem;

// True when SMOKE is set: CI runs every benchmark once on small sizes, to prove they still run.
bool smoke();
// The sizes to measure at: the given ones, or the first one alone under SMOKE.
std::vector<std::int64_t> sizes(std::vector<std::int64_t> full);

// A memo's text: a first line of 60 characters, half of them Japanese, then about `body` more
// characters of mixed Japanese and ASCII in lines. Deterministic for each number.
std::u16string memoText(int n, std::size_t body = 300);

// A program folder in the temporary directory with "memo/" holding `count` memos and their
// index as the program stores them, and a twin "floor/memo/" with the same files. With bigBody,
// memo count/2 has a body of that many characters. Made once for each kind (a twin when asked)
// and kept for the whole run; removed at exit.
class MemoFolder {
  public:
    static MemoFolder& get(int count, std::size_t bigBody = 0, int twin = 0);
    MemoFolder(int count, std::size_t bigBody, int twin);
    ~MemoFolder();
    MemoFolder(const MemoFolder&) = delete;
    MemoFolder& operator=(const MemoFolder&) = delete;
    const fs::path& base() const { return base_; }
    fs::path memoDir() const { return base_ / "memo"; }
    fs::path floorDir() const { return base_ / "floor" / "memo"; }
    std::uintmax_t indexBytes() const { return fs::file_size(memoDir() / "group.gl"); }

  private:
    fs::path base_;
};

// The program's file calls on this system, with every change it makes on disk noted.
class RecordingFileSystem final : public FileSystem {
  public:
    struct Change {
        enum Kind { Write, Rename, Remove, FlushFolder } kind;
        std::string name;
        std::string to;
        std::size_t size;
    };
    std::vector<Change> changes;
    double flushSeconds = 0;  // spent in folder flushes, over the whole run

    std::string read(const fs::path& p, FileLook* look = nullptr) override {
        return real_.read(p, look);
    }
    std::string readOrCreate(const fs::path& p) override { return real_.readOrCreate(p); }
    void write(const fs::path& p, std::string_view bytes) override;
    void rename(const fs::path& from, const fs::path& to) override;
    void remove(const fs::path& p) override;
    void flushFolder(const fs::path& folder) override;
    EntryKind kind(const fs::path& p) override { return real_.kind(p); }
    FileLook look(const fs::path& p) override { return real_.look(p); }
    void list(const fs::path& folder,
              const std::function<void(const FolderEntry&)>& visit) override {
        real_.list(folder, visit);
    }
    FolderLock lockFolder(const fs::path& folder) override { return real_.lockFolder(folder); }
    bool isLockedFolder(const fs::path& folder) override { return real_.isLockedFolder(folder); }
    bool namesIgnoreCase() const override { return false; }
    StoreError refusal(StoreFault fault, const fs::path& p) const override {
        return real_.refusal(fault, p);
    }

  private:
    PosixFileSystem real_;
};

// Makes the recorded changes in the twin folder as plain system calls.
void replay(const std::vector<RecordingFileSystem::Change>& changes, const fs::path& dir);

using Clock = std::chrono::steady_clock;
inline double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Times an operation and its floor in each iteration; reports both and their ratio.
class Paired {
  public:
    Paired(benchmark::State& state, RecordingFileSystem& files, fs::path floorDir)
        : state_(state), files_(files), floorDir_(std::move(floorDir)) {}
    ~Paired();
    // alsoInFloor: file work the operation does that is no change, such as a read.
    template <class Op, class Floor = void (*)()>
    void run(
        Op&& op, Floor&& alsoInFloor = [] {}) {
        files_.changes.clear();
        const double flushed = files_.flushSeconds;
        const auto t0 = Clock::now();
        op();
        const double took = seconds(t0, Clock::now());
        flush_ += files_.flushSeconds - flushed;
        op_ += took;
        state_.SetIterationTime(took);
        const auto t1 = Clock::now();
        alsoInFloor();
        replay(files_.changes, floorDir_);
        floor_ += seconds(t1, Clock::now());
    }

  private:
    benchmark::State& state_;
    RecordingFileSystem& files_;
    fs::path floorDir_;
    double op_ = 0;
    double floor_ = 0;
    double flush_ = 0;
};

// The window model on a folder with no front end: started, and with the look at the folder that
// follows the window's showing done too unless `look` is false (it is then left in `later`).
// Exits when another copy holds the folder: there would be nothing to time.
class QuietPlatform final : public WindowPlatform {
  public:
    void runAfter(int, std::function<void()>) override {}
    explicit QuietPlatform(NativeString directory) : directory_(std::move(directory)) {}
    bool anotherCopyRunning() override { return false; }
    NativeString programDirectory() override { return directory_; }
    void showMessage(const std::u16string&) override {}
    void showNotice(const std::u16string&) override {}
    void keepInFront(bool) override {}
    void afterShown(std::function<void()> task) override { later = std::move(task); }
    void showRuntimeError(const std::u16string&) override { std::abort(); }
    std::function<void()> later;

  private:
    NativeString directory_;
};
struct HeadlessWindow {
    explicit HeadlessWindow(const fs::path& base, bool look = true);
    RecordingFileSystem files;
    Cp932Codec codec;
    QuietPlatform platform;
    MemoWindow window;
};

// Resident memory of a fresh copy of this benchmark program started on the folder of
// state.range(0) memos: the program runs itself as `--resident <folder>`, which starts the window
// and calls printResident(). Counters: rss_kb, the whole resident set; anon_kb, its anonymous part
// (heap and stacks, without the pages of the program's and the fonts' files); index_kb.
void measureResident(benchmark::State& state);
// The child's half: this process's resident set and its anonymous part, for the parent.
void printResident();

}  // namespace tetomu::bench
