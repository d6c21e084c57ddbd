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
#include <QTest>
#include <QTimer>
#include <memory>

#include "qt/app.h"
#include "qt/memo_list_view.h"
#include "qt/memo_text_edit.h"
#include "qt/text_conversion.h"
#include "support/scenario.h"
#include "window/display_text.h"

namespace tetomu::test {
namespace {

class QtDriver final : public Driver {
  public:
    QtDriver() {
        // Closes each modal message box with its OK button as soon as it is up.
        QObject::connect(&boxes_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            EXPECT_EQ(box->windowTitle(), QStringLiteral("テトム"));
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            seen_.push_back(fromDisplay(toU16(box->text())));
            box->button(QMessageBox::Ok)->click();
        });
        boxes_.start(5);
    }

    StartResult start(const fs::path& programDirectory) override {
        app_ = std::make_unique<App>(QString::fromStdString(programDirectory.string()));
        app_->core().setTrace(&trace_);
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
                box().setFocus();
                for (const QChar c : toQString(step.text)) {
                    if (c == QLatin1Char('\n')) {
                        QTest::keyClick(&box(), Qt::Key_Return);
                    } else if (c.unicode() < 0x80) {
                        QTest::keyClicks(&box(), QString(c));
                    } else {
                        commitText(QString(c));
                    }
                }
                break;
            case Step::Commit:
                box().setFocus();
                if (step.text.find(u'\n') != std::u16string::npos) {
                    // Several lines come as a paste.
                    QApplication::clipboard()->setText(toQString(toDisplay(step.text, u"\n")));
                    QTest::keyClick(&box(), Qt::Key_V, Qt::ControlModifier);
                } else {
                    commitText(toQString(step.text));
                }
                break;
            case Step::KeyInText:
                box().setFocus();
                textKey(step.textKey);
                break;
            case Step::KeyInList:
                list().setFocus();
                QTest::keyClick(&list(), listKey(step.listKey));
                break;
            case Step::Click:
                QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, rowCenter(step.row));
                break;
            case Step::DoubleClick: {
                const QPoint at = rowCenter(step.row);
                QTest::mousePress(list().viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(list().viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, at);
                break;
            }
            case Step::Drag: {
                QTest::mousePress(list().viewport(), Qt::LeftButton, {}, rowCenter(step.row));
                for (int r = step.row; r <= step.to; ++r)
                    QTest::mouseMove(list().viewport(), rowCenter(r) + QPoint(1, 1));
                QTest::mouseRelease(list().viewport(), Qt::LeftButton, {}, rowCenter(step.to));
                break;
            }
            case Step::Tick:
                QTest::mouseClick(w.Check1(), Qt::LeftButton, {}, QPoint(7, 8));
                break;
            case Step::Menu:
                choose(step.command);
                break;
        }
        QCoreApplication::processEvents();
    }
    HandlerTrace& trace() override { return trace_; }

    std::vector<std::u16string> rows() override {
        std::vector<std::u16string> out;
        const QAbstractItemModel* model = list().model();
        for (int i = 0; i < model->rowCount(); ++i)
            out.push_back(fromDisplay(toU16(model->index(i, 0).data().toString())));
        return out;
    }
    int selected() override { return list().selectedRow(); }
    std::u16string text() override { return fromDisplay(toU16(textBox().toPlainText())); }
    bool ticked() override { return app_->window().Check1()->isChecked(); }
    std::array<bool, 2> inFrontMarks() override {
        return {app_->window().action(Command::KeepInFront)->isChecked(),
                app_->window().action(Command::Release)->isChecked()};
    }
    bool inFront() override {
        return app_->window().windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
    std::vector<std::u16string> messages() override { return seen_; }
    bool ended() override { return app_->core().ended(); }
    std::optional<WindowLook> look() override {
        MainWindow& w = app_->window();
        WindowLook look{toU16(w.windowTitle())};
        const QList<QAction*> bar = w.menuBar()->actions();
        for (QAction* a : bar + bar[2]->menu()->actions()) {
            look.menu += toU16(a->text());
            if (!a->shortcut().isEmpty()) look.menu += u"\t" + toU16(a->shortcut().toString());
            look.menu += u"|";
            look.radioMarks = look.radioMarks || a->actionGroup();
        }
        const QWidget* controls[] = {w.List1(), w.Check1(), w.Label3(), w.txtmemo()};
        for (int i = 0; i < 4; ++i) {
            const QRect r = controls[i]->geometry();
            look.places[std::size_t(i)] = {r.x(), r.y(), r.width(), r.height()};
        }
        look.dpi = w.logicalDpiX();
        look.maximizeBox = w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
        look.focusInList = w.List1()->hasFocus() && !w.List1()->currentIndex().isValid();
        for (const QWidget* named :
             {static_cast<QWidget*>(w.List1()), static_cast<QWidget*>(w.txtmemo()),
              static_cast<QWidget*>(w.Check1())})
            look.names += toU16(named->accessibleName()) + u"|";
        return look;
    }

  private:
    MemoListView& list() { return *app_->window().List1(); }
    MemoTextEdit& textBox() { return *app_->window().txtmemo(); }
    QWidget& box() { return textBox(); }
    QPoint rowCenter(int row) { return list().visualRect(list().model()->index(row, 0)).center(); }

    // A composition an input method commits: the text arrives at once.
    void commitText(const QString& committed) {
        QInputMethodEvent commit;
        commit.setCommitString(committed);
        QApplication::sendEvent(&box(), &commit);
    }
    void textKey(TextKey key) {
        switch (key) {
            case TextKey::Enter:
                return QTest::keyClick(&box(), Qt::Key_Return);
            case TextKey::Backspace:
                return QTest::keyClick(&box(), Qt::Key_Backspace);
            case TextKey::Delete:
                return QTest::keyClick(&box(), Qt::Key_Delete);
            case TextKey::SelectAll:
                return QTest::keyClick(&box(), Qt::Key_A, Qt::ControlModifier);
            case TextKey::End:
                return QTest::keyClick(&box(), Qt::Key_End, Qt::ControlModifier);
            case TextKey::Home:
                return QTest::keyClick(&box(), Qt::Key_Home, Qt::ControlModifier);
        }
    }
    static Qt::Key listKey(ListKey key) {
        switch (key) {
            case ListKey::Up:
                return Qt::Key_Up;
            case ListKey::Down:
                return Qt::Key_Down;
            case ListKey::PageUp:
                return Qt::Key_PageUp;
            case ListKey::PageDown:
                return Qt::Key_PageDown;
            case ListKey::Home:
                return Qt::Key_Home;
            case ListKey::End:
                break;
        }
        return Qt::Key_End;
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
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(w.action(command)).center());
    }

    std::unique_ptr<App> app_;
    HandlerTrace trace_;
    QTimer boxes_;
    std::vector<std::u16string> seen_;
};

class QtScenario : public testing::TestWithParam<std::size_t> {};

TEST_P(QtScenario, Run) {
    const Scenario& s = scenarios()[GetParam()];
    if (s.only == Only::Windows) GTEST_SKIP() << "Windows names";
    QtDriver driver;
    runScenario(s, driver);
}

INSTANTIATE_TEST_SUITE_P(Table, QtScenario, testing::Range<std::size_t>(0, scenarios().size()),
                         [](const auto& info) { return scenarioName(scenarios()[info.param]); });

}  // namespace
}  // namespace tetomu::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
