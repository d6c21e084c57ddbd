// A keystroke through the Qt widgets: the key goes to the text box as a person's key press, the
// core saves, the list and the text box update, and the window repaints what changed. Timed next
// to the same floor as the core benchmarks, so that the two can be compared in one run.
//   QT_QPA_PLATFORM=offscreen build-bench/bench/tetomu_qt_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <cstdlib>

#include "bench_support.h"
#include "qt/app.h"
#include "qt/memo_list_view.h"
#include "qt/memo_text_edit.h"
#include "store/title.h"

namespace tetomu::bench {
namespace {

// Lets every posted event run, the paint of what changed included.
void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// One keystroke and everything it sets off, up to the repaint; a function of its own so that a
// profiler can record it alone (callgrind --toggle-collect='*qtKeystroke*').
[[gnu::noinline]] void qtKeystroke(QWidget& text, bool backspace) {
    QTest::keyClick(&text, backspace ? Qt::Key_Backspace : Qt::Key_X);
    settle();
}

// A keystroke in the title of memo count/2, opened by a click on its row: "x" typed at position
// 10, then taken out again with Backspace, in turn.
void BM_QtKeystroke(benchmark::State& state) {
    const int count = int(state.range(0));
    MemoFolder& folder = MemoFolder::get(count);
    App app(QString::fromStdString(folder.base().string()));
    if (app.start() != StartResult::Shown || !QTest::qWaitForWindowExposed(&app.window()))
        return state.SkipWithError("the window did not show");
    const int k = count / 2;
    MemoListView& list = *app.window().List1();
    MemoTextEdit& text = *app.window().txtmemo();
    const QModelIndex row = list.model()->index(k, 0);
    list.scrollTo(row);
    settle();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(row).center());
    settle();
    if (app.core().curIndex != k) return state.SkipWithError("the memo did not open");
    text.setFocus();
    QTextCursor cursor = text.textCursor();
    cursor.setPosition(10);
    text.setTextCursor(cursor);

    MemoWindow& core = app.core();
    const std::u16string plain = core.txtmemo.Text();
    const std::u16string typed = plain.substr(0, 10) + u"x" + plain.substr(10);
    std::vector<std::u16string> rows = core.List1.items();
    rows[std::size_t(k)] = TitleOf(typed);
    const std::string indexBytes = core.store().encodeIndex(rows);
    const std::string memoBytes = Cp932Codec().encode(typed);
    const std::string name = std::to_string(k) + ".txt";
    Floor floor(folder.floorDir());

    double floorTotal = 0, opTotal = 0;
    bool back = false;
    for (auto _ : state) {
        auto t0 = Clock::now();
        floor.replace(name, memoBytes);
        floor.replace("group.gl", indexBytes);
        auto t1 = Clock::now();
        qtKeystroke(text, back);
        auto t2 = Clock::now();
        back = !back;
        floorTotal += seconds(t0, t1);
        opTotal += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    if (core.txtmemo.Text() != plain && core.txtmemo.Text() != typed)
        state.SkipWithError("the keystrokes did not reach the memo");
    const double n = double(state.iterations());
    state.counters["floor_us"] = floorTotal / n * 1e6;
    state.counters["op_us"] = opTotal / n * 1e6;
    state.counters["ratio"] = opTotal / floorTotal;
}

// Start-up through the widgets: the program put together and its window shown.
void BM_QtStartup(benchmark::State& state) {
    MemoFolder& folder = MemoFolder::get(int(state.range(0)));
    const QString base = QString::fromStdString(folder.base().string());
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto app = std::make_unique<App>(base);
        const bool shown =
            app->start() == StartResult::Shown && QTest::qWaitForWindowExposed(&app->window());
        settle();
        state.SetIterationTime(seconds(t0, Clock::now()));
        if (!shown) return state.SkipWithError("the window did not show");
        state.PauseTiming();
        app.reset();
        settle();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_QtKeystroke)
    ->Apply([](auto* b) {
        for (auto n : sizes({10, 1000, 32767}))
            b->Arg(n);
    }) -> UseManualTime() -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtStartup)
    ->Apply([](auto* b) {
        for (auto n : sizes({0, 32767}))
            b->Arg(n);
    }) -> UseManualTime() -> Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tetomu::bench

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
