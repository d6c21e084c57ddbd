// The core's paths, with headless controls, each timed next to its floor in the same run: every
// iteration does the floor's system calls and then the operation, so that both see the same disk
// and the same load, and "ratio" is the operation's time over the floor's.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "bench_support.h"
#include "store/title.h"

extern char** environ;

namespace tetomu::bench {
namespace {

constexpr int kBigMemoFolder = 1000;
constexpr std::size_t kBigMemoBody = 680000;  // about 1 MB in code page 932

// Times the floor and the operation of each iteration; the operation's time is the iteration's.
class Interleaved {
  public:
    explicit Interleaved(benchmark::State& state) : state_(state) {}
    template <class F>
    void floor(F&& f) {
        const auto t0 = Clock::now();
        f();
        floor_ += seconds(t0, Clock::now());
    }
    template <class F>
    void op(F&& f) {
        const auto t0 = Clock::now();
        f();
        const double took = seconds(t0, Clock::now());
        op_ += took;
        state_.SetIterationTime(took);
    }
    ~Interleaved() {
        const double n = double(state_.iterations());
        if (n == 0 || floor_ == 0) return;
        state_.counters["floor_us"] = floor_ / n * 1e6;
        state_.counters["op_us"] = op_ / n * 1e6;
        state_.counters["ratio"] = op_ / floor_;
    }

  private:
    benchmark::State& state_;
    double floor_ = 0;
    double op_ = 0;
};

std::string memoName(int n) {
    return std::to_string(n) + ".txt";
}

// A keystroke in the title of memo count/2: the title changes, so its row changes too. Even
// iterations type one character, odd ones take it out again.
void typeInOpenMemo(benchmark::State& state, MemoFolder& folder, int k) {
    Session s(folder);
    MemoWindow& w = s.window;
    w.userSelect(k);
    const std::u16string plain = w.txtmemo.Text();
    const std::u16string typed = plain.substr(0, 10) + u"あ" + plain.substr(10);

    std::vector<std::u16string> rows = w.List1.items();
    rows[std::size_t(k)] = TitleOf(typed);
    const std::string indexBytes = w.store().encodeIndex(rows);
    const std::string memoBytes = s.codec.encode(typed);
    const std::string name = memoName(k);
    Floor floor(folder.floorDir());

    Interleaved run(state);
    bool back = false;
    for (auto _ : state) {
        std::u16string next = back ? plain : typed;
        back = !back;
        run.floor([&] {
            floor.replace(name, memoBytes);
            floor.replace("group.gl", indexBytes);
        });
        run.op([&] { w.userEdit(std::move(next)); });
    }
    state.counters["index_kb"] = double(indexBytes.size()) / 1024;
    state.counters["memo_kb"] = double(memoBytes.size()) / 1024;
}

void BM_Keystroke(benchmark::State& state) {
    const int count = int(state.range(0));
    typeInOpenMemo(state, MemoFolder::get(count), count / 2);
}

void BM_KeystrokeBigMemo(benchmark::State& state) {
    const int count = int(state.range(0));
    typeInOpenMemo(state, MemoFolder::get(count, smoke() ? 3000 : kBigMemoBody), count / 2);
}

// Opening memos a and b in turn: each read, then the save that the loaded text raises.
void BM_Open(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    Session s(folder);
    MemoWindow& w = s.window;
    const int picks[2] = {count / 3, 2 * count / 3};
    const std::string indexBytes = w.store().encodeIndex(w.List1.items());
    std::string memoBytes[2];
    for (int i = 0; i < 2; ++i)
        memoBytes[i] = s.codec.encode(w.store().readMemo(picks[i]));
    Floor floor(folder.floorDir());

    Interleaved run(state);
    int turn = 0;
    for (auto _ : state) {
        const int k = picks[turn];
        const std::string name = memoName(k);
        run.floor([&] {
            benchmark::DoNotOptimize(floor.read(name));
            floor.replace(name, memoBytes[turn]);
            floor.replace("group.gl", indexBytes);
        });
        run.op([&] { w.userSelect(k); });
        turn ^= 1;
    }
}

// Emptying memo 0: its file goes and every later file is renamed one number down. Between
// iterations, untimed, a new memo at the end brings the count back.
void BM_DeleteFirst(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    Session s(folder);
    MemoWindow& w = s.window;
    const std::u16string refill = memoText(count);
    Cp932Codec codec;

    Floor floor(folder.floorDir());
    const auto titles = w.store().readIndex();
    const std::string shorter = w.store().encodeIndex(std::span(titles).subspan(1));
    const std::string refillBytes = codec.encode(refill);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(memoName(i));

    Interleaved run(state);
    for (auto _ : state) {
        state.PauseTiming();
        w.userSelect(0);
        state.ResumeTiming();
        run.floor([&] {
            floor.unlink(names[0]);
            floor.replace("group.gl", shorter);
            for (int i = 0; i + 1 < count; ++i)
                floor.rename(names[std::size_t(i) + 1], names[std::size_t(i)]);
        });
        run.op([&] { w.userEdit(u""); });
        state.PauseTiming();
        w.userEdit(refill);
        floor.replace(names[std::size_t(count) - 1], refillBytes);
        state.ResumeTiming();
    }
}

// Arrange mode: memo 1 is open and "整理" ticked; a click on memo count-2 swaps the two. The
// swap also empties the text box, which creates a "temp" memo that it removes again; in a full
// list there is no room for it, and the swap ends with the box emptied and nothing created.
void BM_Swap(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    Session s(folder);
    MemoWindow& w = s.window;
    const int a = 1, b = count - 2;

    Floor floor(folder.floorDir());
    std::vector<std::u16string> rows = w.List1.items();
    std::swap(rows[std::size_t(a)], rows[std::size_t(b)]);
    const std::string swapped = w.store().encodeIndex(rows);
    rows.push_back(u"temp");
    const std::string withTemp = w.store().encodeIndex(rows);
    const std::string nameA = memoName(a), nameB = memoName(b), created = memoName(count);
    const bool full = count >= kMaxMemos;

    Interleaved run(state);
    for (auto _ : state) {
        state.PauseTiming();
        w.userSelect(a);
        w.userClickCheck();
        state.ResumeTiming();
        run.floor([&] {
            floor.rename(nameA, "temp.txt");
            floor.rename(nameB, nameA);
            floor.rename("temp.txt", nameB);
            floor.replace("group.gl", swapped);
            if (full) return;
            floor.replace(created, "");
            floor.replace("group.gl", withTemp);
            floor.unlink(created);
            floor.replace("group.gl", swapped);
        });
        run.op([&] { w.userSelect(b); });
    }
    if (w.Check1.Value() != 0 || s.platform.messages != 0)
        state.SkipWithError("the swap did not complete");
}

// Start-up: the window made and Form_Load run, up to the point where a front end shows it.
// The floor is reading the index file.
void BM_Startup(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    Floor floor(folder.memoDir());
    Interleaved run(state);
    for (auto _ : state) {
        run.floor([&] { benchmark::DoNotOptimize(floor.read("group.gl")); });
        std::unique_ptr<Session> s;
        run.op([&] { s = std::make_unique<Session>(folder); });
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
}

// The resident set of a fresh process after start-up on the folder: this program run again
// with TETOMU_BENCH_RSS naming the folder.
void BM_StartupMemory(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    long kilobytes = -1;
    for (auto _ : state) {
        int out[2];
        if (::pipe(out) != 0) return state.SkipWithError("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        const std::string variable = "TETOMU_BENCH_RSS=" + folder.base().string();
        std::vector<char*> env;
        for (char** e = environ; *e; ++e)
            env.push_back(*e);
        env.push_back(const_cast<char*>(variable.c_str()));
        env.push_back(nullptr);
        char self[] = "/proc/self/exe";
        char* argv[] = {self, nullptr};
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, env.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        char buffer[64] = {};
        const ssize_t got = spawned == 0 ? ::read(out[0], buffer, sizeof buffer - 1) : -1;
        ::close(out[0]);
        int status = 0;
        if (spawned == 0) ::waitpid(pid, &status, 0);
        if (got <= 0 || status != 0) return state.SkipWithError("the measuring process failed");
        kilobytes = std::strtol(buffer, nullptr, 10);
    }
    state.counters["rss_kb"] = double(kilobytes);
    state.counters["index_kb"] = double(fs::file_size(folder.memoDir() / "group.gl")) / 1024;
}

// The code page on a whole index, both ways.
void BM_EncodeIndex(benchmark::State& state) {
    Session s(MemoFolder::get(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.window.store().encodeIndex(s.window.List1.items()));
}

void BM_DecodeIndex(benchmark::State& state) {
    Session s(MemoFolder::get(int(state.range(0))));
    const std::string bytes = s.window.store().encodeIndex(s.window.List1.items());
    for (auto _ : state)
        benchmark::DoNotOptimize(s.window.store().decodeIndex(bytes));
}

void withSizes(benchmark::internal::Benchmark* b, std::vector<std::int64_t> full) {
    for (auto n : sizes(std::move(full)))
        b->Arg(n);
}

BENCHMARK(BM_Keystroke)->Apply([](auto* b) {
                           withSizes(b, {10, 1000, 32767});
                       }) -> UseManualTime() -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeBigMemo)->Apply([](auto* b) {
                                  withSizes(b, {kBigMemoFolder});
                              }) -> UseManualTime() -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Open)->Apply([](auto* b) {
                      withSizes(b, {1000, 32767});
                  }) -> UseManualTime() -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeleteFirst)->Apply([](auto* b) {
                             withSizes(b, {1000, 32767});
                         }) -> UseManualTime() -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_Swap)->Apply([](auto* b) {
                      withSizes(b, {1000, 32767});
                  }) -> UseManualTime() -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Startup)->Apply([](auto* b) {
                         withSizes(b, {0, 32767});
                     }) -> UseManualTime() -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartupMemory)->Apply([](auto* b) {
                               withSizes(b, {0, 32767});
                           }) -> Iterations(1) -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeIndex)
    ->Apply([](auto* b) { withSizes(b, {32767}); }) -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeIndex)
    ->Apply([](auto* b) { withSizes(b, {32767}); }) -> Unit(benchmark::kMicrosecond);

// The measuring process of BM_StartupMemory: starts a window on the folder and prints its
// resident set in kilobytes.
int measureStartupMemory(const char* base) {
    Cp932Codec codec;
    PosixFileSystem files;
    QuietPlatform platform(fs::path(base).native());
    MemoWindow window(files, codec, platform);
    if (window.start() != StartResult::Shown) return 1;
    std::printf("%ld\n", residentKilobytes());
    return 0;
}

// For profiling: exactly one keystroke, in a function of its own that a profiler can be told
// to record alone (valgrind --tool=callgrind --toggle-collect='*profiledKeystroke*'), in memo
// count/2 of TETOMU_BENCH_ONE_KEYSTROKE memos, a 1 MB one when TETOMU_BENCH_BIG_MEMO is set.
[[gnu::noinline]] void profiledKeystroke(MemoWindow& window, std::u16string text) {
    window.userEdit(std::move(text));
}

int profileOneKeystroke(int count, bool bigMemo) {
    MemoFolder& folder = MemoFolder::get(count, bigMemo ? kBigMemoBody : 0);
    Session s(folder);
    const int k = count / 2;
    s.window.userSelect(k);
    const std::u16string plain = s.window.txtmemo.Text();
    profiledKeystroke(s.window, plain.substr(0, 10) + u"あ" + plain.substr(10));
    return 0;
}

}  // namespace
}  // namespace tetomu::bench

int main(int argc, char** argv) {
    if (const char* base = std::getenv("TETOMU_BENCH_RSS"))
        return tetomu::bench::measureStartupMemory(base);
    if (const char* count = std::getenv("TETOMU_BENCH_ONE_KEYSTROKE"))
        return tetomu::bench::profileOneKeystroke(std::atoi(count),
                                                  std::getenv("TETOMU_BENCH_BIG_MEMO") != nullptr);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
