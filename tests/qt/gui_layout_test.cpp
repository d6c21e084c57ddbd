// The window as a person first sees it: captions, the places of the controls at 96 dpi, the
// menu bar, the tab order and the settings of each control.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "gui_support.h"

using namespace tetomu;
using namespace tetomu::test;

class LayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void windowAndControlsSitWhereTheyBelong();
    void menuBarHasThreeCommandsAndOneDropDown();
    void focusStartsInTheListAndTabsThroughTheControls();
    void longTitlesAreCutAndManyTitlesScroll();
};

void LayoutTest::windowAndControlsSitWhereTheyBelong() {
    Session s;
    QVERIFY(s.start());
    MainWindow& w = s.window();
    QCOMPARE(w.logicalDpiX(), 96);
    QCOMPARE(w.windowTitle(), QStringLiteral("テトム★"));

    QWidget* client = w.centralWidget();
    QCOMPARE(client->size(), QSize(350, 262));
    QCOMPARE(client->y(), w.menuBar()->height());
    // A fixed frame without a maximise box.
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.width(), 350);
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    QCOMPARE(w.List1()->geometry(), QRect(0, 16, 113, 244));
    QCOMPARE(w.Check1()->geometry(), QRect(232, 0, 17, 17));
    QCOMPARE(w.Label3()->geometry(), QRect(200, 3, 25, 17));
    QCOMPARE(w.txtmemo()->geometry(), QRect(120, 16, 233, 249));
    QCOMPARE(w.Label3()->text(), QStringLiteral("整理"));
    QCOMPARE(w.Check1()->text(), QStringLiteral("Check1"));
    QVERIFY(!w.Check1()->isChecked());

    QCOMPARE(w.txtmemo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(w.txtmemo()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w.txtmemo()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(w.txtmemo()->toPlainText().isEmpty());
    QCOMPARE(w.List1()->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(w.List1()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    const QIcon icon = w.windowIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
}

void LayoutTest::menuBarHasThreeCommandsAndOneDropDown() {
    Session s;
    QVERIFY(s.start());
    MainWindow& w = s.window();
    QStringList captions;
    QList<bool> dropDowns;
    for (QAction* a : w.menuBar()->actions()) {
        captions << a->text();
        dropDowns << (a->menu() != nullptr);
    }
    QCOMPARE(captions, (QStringList{"新規", "削除", "手前", "バージョン"}));
    QCOMPARE(dropDowns, (QList<bool>{false, false, true, false}));

    QMenu* inFront = w.menuBar()->actions().at(2)->menu();
    QCOMPARE(inFront->actions(), (QList<QAction*>{w.keepInFrontAction(), w.releaseAction()}));
    QCOMPARE(w.keepInFrontAction()->text(), QStringLiteral("常に手前にする"));
    QCOMPARE(w.releaseAction()->text(), QStringLiteral("解除する"));
    QCOMPARE(w.keepInFrontAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F7));
    QCOMPARE(w.releaseAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F8));
    // Start-up has put the mark on "常に手前にする".
    QVERIFY(w.keepInFrontAction()->isChecked());
    QVERIFY(!w.releaseAction()->isChecked());
}

void LayoutTest::focusStartsInTheListAndTabsThroughTheControls() {
    Session s;
    QVERIFY(s.start());
    MainWindow& w = s.window();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.List1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.Check1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtmemo()));
    // Tab leaves the text box rather than going into the memo.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.List1());
    QVERIFY(w.txtmemo()->toPlainText().isEmpty());
    QVERIFY(!QFile::exists(s.memoPath("0.txt")));
}

void LayoutTest::longTitlesAreCutAndManyTitlesScroll() {
    Session s;
    QByteArray index;
    for (int i = 0; i < 40; ++i)
        index += "a title far too wide for the list " + QByteArray::number(i) + "\r\n";
    writeFile(s.memoPath("group.gl"), index);
    QVERIFY(s.start());
    MemoListView& list = s.list();
    QCOMPARE(list.model()->rowCount(), 40);
    QCOMPARE(list.textElideMode(), Qt::ElideNone);
    QVERIFY(!list.horizontalScrollBar()->isVisible());
    QVERIFY(list.verticalScrollBar()->isVisible());
    QCOMPARE(s.window().width(), 350);
}

QTEST_MAIN(LayoutTest)
#include "gui_layout_test.moc"
