// The scenario table run on the Qt window, on Qt's offscreen platform: every action is made of
// the events a person's mouse and keyboard make (a press, a movement, a release; a key; an input
// method's commit), and what is checked is what the widgets show.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <memory>

#include "qt/app.h"
#include "qt/memo_list_view.h"
#include "qt/memo_text_edit.h"
#include "qt/text_conversion.h"
#include "support/scenario.h"

namespace tetomu::test {
namespace {

class QtDriver final : public QObject, public Driver {
  public:
    QtDriver() {
        // Closes each modal message box with its OK button as soon as it is up.
        QObject::connect(&boxes_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            EXPECT_EQ(box->windowTitle(), QStringLiteral("テトム"));
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            messages_.push_back(fromDisplay(toU16(box->text())));
            box->button(QMessageBox::Ok)->click();
        });
        boxes_.start(5);
    }

    StartResult start(const fs::path& programDirectory) override {
        app_ = std::make_unique<App>(QString::fromStdString(programDirectory.string()));
        app_->core().setTrace(&trace_);
        qApp->installEventFilter(this);
        const StartResult result = app_->start();
        if (result == StartResult::Shown) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&app_->window()));
            // The list's rows and the look at the folder come a moment after the window.
            QTest::qWait(MainWindow::kAfterShowingMs * 2);
        }
        return result;
    }

    void apply(const Step& step) override {
        MainWindow& w = app_->window();
        switch (step.kind) {
            case Step::Type:
                textBox().setFocus();
                for (qsizetype i = 0, n = 1; i < qsizetype(step.text.size()); i += n) {
                    const QChar c = step.text[std::size_t(i)];
                    n = c.isHighSurrogate() ? 2 : 1;  // a pair is one character
                    if (c == QLatin1Char('\n')) {
                        QTest::keyClick(&textBox(), Qt::Key_Return);
                    } else if (c.unicode() < 0x80) {
                        QTest::keyClicks(&textBox(), QString(c));
                    } else {
                        commitText(toQString(step.text.substr(std::size_t(i), std::size_t(n))));
                    }
                }
                break;
            case Step::Commit:
                textBox().setFocus();
                if (step.text.find(u'\n') != std::u16string::npos) {
                    // Several lines come as a paste.
                    QApplication::clipboard()->setText(toQString(toDisplay(step.text, u"\n")));
                    QTest::keyClick(&textBox(), Qt::Key_V, Qt::ControlModifier);
                } else {
                    commitText(toQString(step.text));
                }
                break;
            case Step::Compose:
                compose(step);
                break;
            case Step::KeyInText:
                textBox().setFocus();
                textKey(step.textKey);
                break;
            case Step::KeyInList:
                list().setFocus();
                QTest::keyClick(
                    &list(), std::array{Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                        Qt::Key_Home, Qt::Key_End}[std::size_t(step.listKey)]);
                break;
            case Step::LetterInList:
                list().setFocus();
                QTest::keyClicks(&list(), toQString(step.text));
                break;
            case Step::Wait:
                QTest::qWait(2 * MemoWindow::kSaveRetryMs + 500);
                break;
            case Step::Another:
                // inotify's events, and the end of their burst.
                if (!step.beforeTold) QTest::qWait(WindowPlatform::kWatchSettleMs + 300);
                break;
            case Step::Click:
                QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, rowCenter(step.row));
                break;
            case Step::DoubleClick: {
                const QPoint at = rowCenter(step.row);
                QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, at);
                // The second press comes as the double-click; its release follows.
                QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(list().viewport(), Qt::LeftButton, {}, at);
                break;
            }
            case Step::Drag:
                QTest::mousePress(list().viewport(), Qt::LeftButton, {}, rowCenter(step.row));
                for (int r = step.row; r <= step.to; ++r)
                    QTest::mouseMove(list().viewport(), rowCenter(r) + QPoint(1, 1));
                QTest::mouseRelease(list().viewport(), Qt::LeftButton, {}, rowCenter(step.to));
                break;
            case Step::Tick:
                QTest::mouseClick(w.arrangeCheck(), Qt::LeftButton, {}, QPoint(7, 8));
                break;
            case Step::Menu:
                choose(step.command);
                break;
            default:  // the runner's own
                break;
        }
        QCoreApplication::processEvents();
    }
    std::vector<std::u16string> rows() override {
        std::vector<std::u16string> out;
        const QAbstractItemModel* model = list().model();
        for (int i = 0; i < model->rowCount(); ++i)
            out.push_back(readBack(toU16(model->index(i, 0).data().toString())));
        return out;
    }
    int selected() override { return list().selectedRow(); }
    std::u16string text() override { return readBack(toU16(textBox().toPlainText())); }
    bool ticked() override { return app_->window().arrangeCheck()->isChecked(); }
    std::array<bool, 2> inFrontMarks() override {
        return {app_->window().menu().action(Command::KeepInFront)->isChecked(),
                app_->window().menu().action(Command::Release)->isChecked()};
    }
    bool inFront() override {
        return app_->window().windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
    bool ended() override { return app_->core().ended(); }
    std::optional<bool> textFocused() override {
        return app_->window().focusWidget() == &textBox();
    }
    std::optional<WindowLook> look() override {
        MainWindow& w = app_->window();
        WindowLook look;
        const QList<QAction*> bar = w.menuBar()->actions();
        for (QAction* a : bar + bar[2]->menu()->actions()) {
            look.menu += toU16(a->text());
            if (!a->shortcut().isEmpty()) look.menu += u"\t" + toU16(a->shortcut().toString());
            look.menu += u"|";
            look.radioMarks = look.radioMarks || a->actionGroup();
        }
        const QWidget* controls[] = {w.memoList(), w.arrangeCheck(), w.arrangeLabel(),
                                     w.memoText()};
        for (int i = 0; i < 4; ++i) {
            const QRect r = controls[i]->geometry();
            look.places[std::size_t(i)] = {r.x(), r.y(), r.width(), r.height()};
        }
        look.dpi = w.logicalDpiX();
        look.focusInList = w.memoList()->hasFocus() && !w.memoList()->currentIndex().isValid();
        return look;
    }

  private:
    MemoListView& list() { return *app_->window().memoList(); }
    MemoTextEdit& textBox() { return *app_->window().memoText(); }
    // A preedit as ibus sends it: the cursor shown at its end, or, while it is converted, hidden
    // where it is told.
    void preedit(const QString& text, int cursor = -1) {
        const bool shown = cursor < 0;
        QInputMethodEvent event(
            text, {{QInputMethodEvent::Cursor, shown ? int(text.size()) : cursor, shown ? 1 : 0,
                    QVariant()}});
        QApplication::sendEvent(&textBox(), &event);
    }
    QPoint rowCenter(int row) { return list().visualRect(list().model()->index(row, 0)).center(); }

    // A composition an input method commits: the text arrives at once.
    void commitText(const QString& committed) {
        QInputMethodEvent commit;
        commit.setCommitString(committed);
        QApplication::sendEvent(&textBox(), &commit);
    }
    // The events of ibus through Qt's plug-in, which forgets its preedit only once the commit
    // has returned, and commits what it still holds when the focus leaves the box.
    void compose(const Step& step) {
        const QString text = toQString(step.text);
        if (text.isEmpty()) {
            QTest::mouseClick(textBox().viewport(), Qt::LeftButton, {}, QPoint(4, 4));
        } else {
            textBox().setFocus();
        }
        preedit({});
        for (qsizetype i = 1; i <= text.size(); ++i)
            preedit(text.left(i));
        if (text.isEmpty() || step.open) return;
        if (step.result.empty()) {
            preedit({});
            QCoreApplication::processEvents();
            list().setFocus();
            return;
        }
        // Converted, as mozc shows it: the cursor hidden at the word's start. The word's end is in
        // view even at the box's right edge, but for the document's margin.
        preedit(toQString(step.result), 0);
        QCoreApplication::processEvents();
        const QScrollBar* bar = textBox().horizontalScrollBar();
        EXPECT_GE(bar->value() + int(textBox().document()->documentMargin()), bar->maximum());
        heldByPlugin_ = text;
        commitText(toQString(step.result));
        heldByPlugin_.clear();
        preedit({});
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Only while a plug-in holds a commit: the window may be half made or half gone else.
        if (event->type() == QEvent::FocusOut && !heldByPlugin_.isEmpty() && watched == &textBox())
            commitText(std::exchange(heldByPlugin_, {}));
        // A notice, as it comes up beside the caret.
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("notice"))
            messages_.push_back(noticed(fromDisplay(toU16(static_cast<QLabel*>(watched)->text()))));
        return QObject::eventFilter(watched, event);
    }
    void textKey(TextKey key) {
        const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
            {Qt::Key_Return, {}},
            {Qt::Key_Backspace, {}},
            {Qt::Key_Delete, {}},
            {Qt::Key_A, Qt::ControlModifier},
            {Qt::Key_End, Qt::ControlModifier},
            {Qt::Key_Home, Qt::ControlModifier}};
        QTest::keyClick(&textBox(), keys[int(key)].first, keys[int(key)].second);
    }
    // The commands on the bar by a click on them; the drop-down's items by their shortcuts.
    void choose(Command command) {
        MainWindow& w = app_->window();
        if (command == Command::KeepInFront || command == Command::Release) {
            const Qt::Key key = command == Command::KeepInFront ? Qt::Key_F7 : Qt::Key_F8;
            QTest::keyClick(&w, key, Qt::ControlModifier);
            return;
        }
        QMenuBar* bar = w.menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(w.menu().action(command)).center());
    }

    std::unique_ptr<App> app_;
    QString heldByPlugin_;
    QTimer boxes_;
};

const bool registered = registerScenarios("QtScenario", [](const Scenario& s) {
    QtDriver driver;
    runScenario(s, driver);
});

}  // namespace
}  // namespace tetomu::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
