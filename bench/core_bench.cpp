// The core's paths with no front end attached, each timed next to its floor in the same
// iterations (bench_support.h), and start-up and resident memory by list size.
#include <cstdio>
#include <cstring>

#include "bench_support.h"

namespace tetomu::bench {
namespace {

// Typing in memo count/2 at `at`, one character an iteration and taking it out again the next.
void typing(benchmark::State& state, int count, std::size_t at, std::size_t bigBody = 0) {
    MemoFolder& folder = MemoFolder::get(count, bigBody);
    HeadlessWindow w(folder.base());
    w.window.userSelect(count / 2);
    Paired paired(state, w.files, folder.floorDir());
    bool typed = false;
    for (auto _ : state) {
        paired.run([&] {
            w.window.userEdit(typed ? TextEdit{at, 1, u""} : TextEdit{at, 0, u"あ"});
        });
        typed = !typed;
    }
}

// A keystroke in a memo's first line: its title and its row of the index change.
void BM_Keystroke(benchmark::State& state) {
    typing(state, int(state.range(0)), 10);
}
BENCHMARK(BM_Keystroke)
    ->ArgsProduct({sizes({10, 1000, 32767})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Past the first 60 characters the title stays: only the memo is written.
void BM_KeystrokePastTheTitle(benchmark::State& state) {
    typing(state, int(state.range(0)), 200);
}
BENCHMARK(BM_KeystrokePastTheTitle)
    ->ArgsProduct({sizes({10, 32767})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// In the middle of a long memo (about 1 MB and 20 MB in the code page), among 1000 memos.
void BM_KeystrokeInALongMemo(benchmark::State& state) {
    const auto body = std::size_t(state.range(0));
    typing(state, smoke() ? 10 : 1000, body / 2, body);
}
BENCHMARK(BM_KeystrokeInALongMemo)
    ->ArgsProduct({sizes({680000, 13600000})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Opening memo count/2 and the one after it in turn: the memo is read, and nothing is written
// when its bytes and its title are as the files hold them.
void BM_Open(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    HeadlessWindow w(folder.base());
    Paired paired(state, w.files, folder.floorDir());
    int k = count / 2;
    for (auto _ : state) {
        paired.run([&] { w.window.userSelect(k); },
                   [&] {
                       benchmark::DoNotOptimize(
                           PosixFileSystem().read(folder.memoDir() / (std::to_string(k) + ".txt")));
                   });
        k = k == count / 2 ? k + 1 : count / 2;
    }
}
BENCHMARK(BM_Open)
    ->ArgsProduct({sizes({10, 32767})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A swap of two memos with one of them open: the exchange, then the short-lived memo that
// emptying the box makes and takes away.
void BM_Swap(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    HeadlessWindow w(folder.base());
    Paired paired(state, w.files, folder.floorDir());
    for (auto _ : state) {
        w.window.userSelect(1);
        w.window.userClickCheck();
        paired.run([&] { w.window.userSelect(count - 2); });
    }
}
BENCHMARK(BM_Swap)
    ->ArgsProduct({sizes({10, 32767})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A change between timed ones, made in the floor's twin folder too, so both stay alike.
template <class Op>
void untimed(HeadlessWindow& w, MemoFolder& folder, Op&& op) {
    w.files.changes.clear();
    op();
    replay(w.files.changes, folder.floorDir());
}

// A new memo as a person makes one: 新規, then the first character typed into the empty box
// (32000 memos: a full list of 32767 refuses a new one).
// Each iteration deletes it again, untimed, so the list keeps its size.
void BM_NewMemo(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    HeadlessWindow w(folder.base());
    w.window.userSelect(0);
    Paired paired(state, w.files, folder.floorDir());
    for (auto _ : state) {
        paired.run([&] {
            w.window.choose(Command::New);
            w.window.userEdit({0, 0, u"あ"});
        });
        untimed(w, folder, [&] { w.window.userEdit({0, 1, u""}); });
        w.window.userSelect(0);
    }
}
BENCHMARK(BM_NewMemo)
    ->ArgsProduct({sizes({10, 32000})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Emptying memo count-3: its file goes and the two after it are renumbered. Each iteration makes
// a memo at the end again, untimed.
void BM_Delete(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    HeadlessWindow w(folder.base());
    Paired paired(state, w.files, folder.floorDir());
    for (auto _ : state) {
        w.window.userSelect(count - 3);
        paired.run([&] { w.window.userEdit({0, w.window.memoText().text().size(), u""}); });
        untimed(w, folder, [&] { w.window.userEdit({0, 0, u"消したぶん"}); });
    }
}
BENCHMARK(BM_Delete)
    ->ArgsProduct({sizes({10, 32767})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Start-up: the window model made and started, next to reading the index file; and the look at
// the folder that follows once the window is shown.
void BM_Startup(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    double floor = 0, look = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        HeadlessWindow w(folder.base(), false);
        state.SetIterationTime(seconds(t0, Clock::now()));
        const auto t1 = Clock::now();
        w.platform.later();
        look += seconds(t1, Clock::now());
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(PosixFileSystem().read(folder.memoDir() / "group.gl"));
        floor += seconds(t2, Clock::now());
    }
    state.counters["floor_us"] = floor / double(state.iterations()) * 1e6;
    state.counters["look_us"] = look / double(state.iterations()) * 1e6;
}
BENCHMARK(BM_Startup)
    ->ArgsProduct({sizes({10, 32767})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Resident memory once started, in a fresh process each (this program, run with --resident N).
void BM_ResidentAfterStart(benchmark::State& state) {
    measureResident(state);
}
BENCHMARK(BM_ResidentAfterStart)
    ->ArgsProduct({sizes({0, 10, 32767})})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tetomu::bench

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--resident") == 0) {
        tetomu::bench::HeadlessWindow w(argv[2]);
        tetomu::bench::printResident();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
