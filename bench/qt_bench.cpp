// The Qt window on the offscreen platform: a keystroke through the real widgets (the key event,
// every posted event after it, the repaint of what changed), timed in each iteration next to
// its floor and next to the same keystroke on the core alone; and the resident memory of the
// whole program once started.
#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <cstdio>
#include <cstring>

#include "bench_support.h"
#include "qt/app.h"
#include "qt/memo_text_edit.h"

namespace tetomu::bench {
namespace {

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The window shown, and what follows it: the list's rows, the look at the folder.
void shown(App& app) {
    if (!QTest::qWaitForWindowExposed(&app.window())) std::abort();
    QTest::qWait(MainWindow::kAfterShowingMs * 2);
}

// Typing in memo count/2 at `at` through the widgets, a character an iteration and taking it
// out again the next; the same edits on the core alone in a twin folder.
void typing(benchmark::State& state, int count, int at, std::size_t bigBody = 0) {
    MemoFolder& folder = MemoFolder::get(count, bigBody);
    MemoFolder& twin = MemoFolder::get(count, bigBody, 1);
    App app(QString::fromStdString(folder.base().string()));
    app.start();
    shown(app);
    app.core().userSelect(count / 2);
    MemoTextEdit& edit = *app.window().memoText();
    edit.setFocus();
    QTextCursor cursor(edit.document());
    cursor.setPosition(at);
    edit.setTextCursor(cursor);
    settle();

    HeadlessWindow core(twin.base());
    core.window.userSelect(count / 2);
    const std::size_t coreAt =
        std::size_t(at) + std::size_t(edit.document()->findBlock(at).blockNumber());

    double qt = 0, drawn = 0, alone = 0, floor = 0;
    bool typed = false;
    for (auto _ : state) {
        // The key is on disk when its event has been handled; the window draws it after that.
        const auto t0 = Clock::now();
        QTest::keyClick(&edit, typed ? Qt::Key_Backspace : Qt::Key_X);
        const double took = seconds(t0, Clock::now());
        settle();
        drawn += seconds(t0, Clock::now());
        state.SetIterationTime(took);
        qt += took;
        const auto t1 = Clock::now();
        core.window.userEdit(typed ? TextEdit{coreAt, 1, u""} : TextEdit{coreAt, 0, u"x"});
        const auto t2 = Clock::now();
        replay(core.files.changes, folder.floorDir());
        core.files.changes.clear();
        alone += seconds(t1, t2);
        floor += seconds(t2, Clock::now());
        typed = !typed;
    }
    const double n = double(state.iterations());
    state.counters["op_us"] = qt / n * 1e6;
    state.counters["drawn_us"] = drawn / n * 1e6;
    state.counters["core_us"] = alone / n * 1e6;
    state.counters["floor_us"] = floor / n * 1e6;
    state.counters["ratio"] = qt / floor;
    state.counters["qt_over_core"] = qt / alone;
}

void BM_QtKeystroke(benchmark::State& state) {
    typing(state, int(state.range(0)), 10);
}
BENCHMARK(BM_QtKeystroke)
    ->ArgsProduct({sizes({10, 1000, 32767})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_QtKeystrokeInALongMemo(benchmark::State& state) {
    const auto body = std::size_t(state.range(0));
    typing(state, smoke() ? 10 : 1000, int(body / 2), body);
}
BENCHMARK(BM_QtKeystrokeInALongMemo)
    ->ArgsProduct({sizes({680000, 13600000})})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Resident memory of the whole program once its window is shown, in a fresh process each.
void BM_QtResident(benchmark::State& state) {
    measureResident(state);
}
BENCHMARK(BM_QtResident)
    ->ArgsProduct({sizes({0, 10, 32767})})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tetomu::bench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--resident") == 0) {
        tetomu::App app(QString::fromUtf8(argv[2]));
        app.start();
        tetomu::bench::shown(app);
        tetomu::bench::printResident();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
