// A day with the window, driven through the real widgets: typing, clicks on titles, the menu
// commands and arrange mode, with every file checked byte for byte after each step. Then the
// finer points of turning a person's actions into exactly one call on the core each.
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>

#include "gui_support.h"

using namespace tetomu;
using namespace tetomu::test;

class DayTest : public QObject {
    Q_OBJECT
  private slots:
    void oneDayOfUse();
    void eachActionReachesTheCoreOnce();
    void savingLeavesCaretScrollAndListWhereThePersonLeftThem();
    void oddLineBreaksAndBytesSurviveOpeningAndEditing();
};

namespace {

// The handlers that a person's actions started, without the ones they raised in turn.
QStringList topLevel(const HandlerTrace& trace) {
    QStringList out;
    for (const auto& line : trace.lines)
        if (!line.empty() && line[0] != ' ') out << QString::fromStdString(line);
    return out;
}

}  // namespace

void DayTest::oneDayOfUse() {
    Session s;
    BoxAnswerer boxes;
    QVERIFY(s.start());
    QCOMPARE(s.file("group.gl"), QByteArray());

    // Three memos, each typed into an empty window.
    s.type("milk\neggs");
    QCOMPARE(s.file("0.txt"), QByteArray("milk\r\neggs"));
    QCOMPARE(s.file("group.gl"), QByteArray("milkeggs\r\n"));
    QCOMPARE(s.list().selectedRow(), 0);
    s.window().newAction()->trigger();
    QVERIFY(s.text().toPlainText().isEmpty());
    QCOMPARE(s.list().selectedRow(), -1);
    s.type("会議");
    s.window().newAction()->trigger();
    s.type("todo");
    QCOMPARE(s.files(), (QStringList{"0.txt", "1.txt", "2.txt", "group.gl"}));
    QCOMPARE(s.file("1.txt"), sjis("89ef8b63"));
    QCOMPARE(s.file("group.gl"), "milkeggs\r\n" + sjis("89ef8b63") + "\r\ntodo\r\n");
    QCOMPARE(s.rows(), (QStringList{"milkeggs", "会議", "todo"}));

    // Open the first one and add to its end.
    s.clickRow(0);
    QCOMPARE(s.text().toPlainText(), QStringLiteral("milk\neggs"));
    QCOMPARE(s.file("0.txt"), QByteArray("milk\r\neggs"));
    s.text().setFocus();
    QTest::keyClick(&s.text(), Qt::Key_End, Qt::ControlModifier);
    s.type("!");
    QCOMPARE(s.file("0.txt"), QByteArray("milk\r\neggs!"));
    QCOMPARE(s.file("group.gl"), "milkeggs!\r\n" + sjis("89ef8b63") + "\r\ntodo\r\n");
    QCOMPARE(s.text().textCursor().position(), 10);
    QCOMPARE(s.list().selectedRow(), 0);

    // Delete it: the later files move one number down.
    s.window().deleteAction()->trigger();
    QCOMPARE(s.files(), (QStringList{"0.txt", "1.txt", "group.gl"}));
    QCOMPARE(s.file("0.txt"), sjis("89ef8b63"));
    QCOMPARE(s.file("1.txt"), QByteArray("todo"));
    QCOMPARE(s.file("group.gl"), sjis("89ef8b63") + "\r\ntodo\r\n");
    QCOMPARE(s.rows(), (QStringList{"会議", "todo"}));
    QCOMPARE(s.list().selectedRow(), -1);
    QVERIFY(s.text().toPlainText().isEmpty());

    // "削除" with nothing selected only says so.
    s.window().deleteAction()->trigger();
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("テトム"));
    QCOMPARE(boxes.boxes[0].text, QStringLiteral("選ばれてないやんｗ"));
    QCOMPARE(boxes.boxes[0].icon, QMessageBox::NoIcon);
    QCOMPARE(boxes.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(s.files(), (QStringList{"0.txt", "1.txt", "group.gl"}));

    // Swap the two: pick one, tick "整理" with the space bar, pick the other.
    s.clickRow(0);
    s.window().Check1()->setFocus();
    QTest::keyClick(s.window().Check1(), Qt::Key_Space);
    QVERIFY(s.window().Check1()->isChecked());
    s.clickRow(1);
    QVERIFY(!s.window().Check1()->isChecked());
    QCOMPARE(s.files(), (QStringList{"0.txt", "1.txt", "group.gl"}));
    QCOMPARE(s.file("0.txt"), QByteArray("todo"));
    QCOMPARE(s.file("1.txt"), sjis("89ef8b63"));
    QCOMPARE(s.file("group.gl"), "todo\r\n" + sjis("89ef8b63") + "\r\n");
    QCOMPARE(s.rows(), (QStringList{"todo", "会議"}));
    QCOMPARE(s.list().selectedRow(), -1);
    QVERIFY(s.text().toPlainText().isEmpty());
    QCOMPARE(boxes.boxes.size(), 1);

    // "新規" on an empty window changes nothing; the version box has two lines.
    s.window().newAction()->trigger();
    QCOMPARE(s.file("group.gl"), "todo\r\n" + sjis("89ef8b63") + "\r\n");
    s.window().versionAction()->trigger();
    QCOMPARE(boxes.boxes.size(), 2);
    QCOMPARE(boxes.boxes[1].text, QStringLiteral("作者：ぺぽ\nバージョン：4"));
    QCOMPARE(boxes.boxes[1].title, QStringLiteral("テトム"));
    QCOMPARE(boxes.boxes[1].icon, QMessageBox::NoIcon);
}

void DayTest::eachActionReachesTheCoreOnce() {
    Session s;
    BoxAnswerer boxes;
    writeFile(s.memoPath("group.gl"), "one\r\ntwo\r\nthree\r\n");
    writeFile(s.memoPath("0.txt"), "one");
    writeFile(s.memoPath("1.txt"), "two");
    writeFile(s.memoPath("2.txt"), "three");
    QVERIFY(s.start());
    HandlerTrace trace;
    s.app->core().trace = &trace;

    // Clicks: a new row, the same row again, below the last row (nothing), Ctrl on the
    // selected row (it stays selected), and the arrow key.
    s.clickRow(1);
    s.clickRow(1);
    const QRect last = s.list().visualRect(s.list().model()->index(2, 0));
    QTest::mouseClick(s.list().viewport(), Qt::LeftButton, {}, last.center() + QPoint(0, 40));
    QTest::mouseClick(s.list().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      s.list().visualRect(s.list().model()->index(1, 0)).center());
    QCOMPARE(s.list().selectedRow(), 1);
    QTest::keyClick(&s.list(), Qt::Key_Down);
    QCOMPARE(topLevel(trace), QStringList(4, "List1_Click"));
    QCOMPARE(s.list().selectedRow(), 2);
    QCOMPARE(s.text().toPlainText(), QStringLiteral("three"));
    // A key that does not move the selection is not a pick.
    QTest::keyClick(&s.list(), Qt::Key_Down);
    QCOMPARE(topLevel(trace).size(), 4);
    trace.lines.clear();

    // A key, a paste of two lines, a composition that is committed only at its end.
    s.text().setFocus();
    QTest::keyClick(&s.text(), Qt::Key_End, Qt::ControlModifier);
    s.type("s");
    QApplication::clipboard()->setText(QStringLiteral("\r\nand more"));
    QTest::keyClick(&s.text(), Qt::Key_V, Qt::ControlModifier);
    QInputMethodEvent preedit(QStringLiteral("ぎゅうにゅう"), {});
    QApplication::sendEvent(&s.text(), &preedit);
    QInputMethodEvent preedit2(QStringLiteral("牛乳"), {});
    QApplication::sendEvent(&s.text(), &preedit2);
    QCOMPARE(s.file("2.txt"), QByteArray("threes\r\nand more"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("牛乳"));
    QApplication::sendEvent(&s.text(), &commit);
    QCOMPARE(topLevel(trace), QStringList(3, "txtmemo_Change"));
    QCOMPARE(s.file("2.txt"), "threes\r\nand more" + sjis("8b8d93fb"));
    QCOMPARE(s.file("group.gl"), "one\r\ntwo\r\nthreesand more" + sjis("8b8d93fb") + "\r\n");
    trace.lines.clear();

    // The shortcuts, pressed while typing: the marks move, the text stays as it is.
    const QPoint where = s.window().pos();
    QTest::keyClick(&s.text(), Qt::Key_F8, Qt::ControlModifier);
    QVERIFY(s.window().releaseAction()->isChecked());
    QVERIFY(!s.window().keepInFrontAction()->isChecked());
    QVERIFY(!s.window().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTest::keyClick(&s.text(), Qt::Key_F7, Qt::ControlModifier);
    QVERIFY(s.window().keepInFrontAction()->isChecked());
    QVERIFY(!s.window().releaseAction()->isChecked());
    QVERIFY(s.window().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(s.window().isVisible());
    QCOMPARE(s.window().pos(), where);
    QCOMPARE(topLevel(trace), QStringList(2, "t11_Click"));
    QCOMPARE(s.file("2.txt"), "threes\r\nand more" + sjis("8b8d93fb"));
    trace.lines.clear();

    // Check1 by mouse, twice, then by the space bar; the label does nothing.
    QTest::mouseClick(s.window().Check1(), Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(s.window().Check1()->isChecked());
    QTest::mouseClick(s.window().Check1(), Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(!s.window().Check1()->isChecked());
    QTest::mouseClick(s.window().Label3(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(s.window().Check1(), Qt::Key_Space);
    QVERIFY(s.window().Check1()->isChecked());
    QCOMPARE(topLevel(trace), QStringList(3, "Check1_Click"));
    QVERIFY(boxes.boxes.isEmpty());
    trace.lines.clear();

    // Select all and Delete: one change, which deletes the memo.
    QTest::keyClick(s.window().Check1(), Qt::Key_Space);
    s.clickRow(0);
    trace.lines.clear();
    s.text().setFocus();
    QTest::keyClick(&s.text(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&s.text(), Qt::Key_Delete);
    QCOMPARE(topLevel(trace), QStringList{"txtmemo_Change"});
    QCOMPARE(s.files(), (QStringList{"0.txt", "1.txt", "group.gl"}));
    QCOMPARE(s.file("0.txt"), QByteArray("two"));
    QCOMPARE(s.rows().size(), 2);

    // Ticking "整理" with nothing selected: unticked again, and the message.
    QTest::keyClick(s.window().Check1(), Qt::Key_Space);
    QVERIFY(!s.window().Check1()->isChecked());
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].text, QStringLiteral("選ばれてないやん☆"));
    s.app->core().trace = nullptr;
}

void DayTest::savingLeavesCaretScrollAndListWhereThePersonLeftThem() {
    Session s;
    QByteArray index;
    QByteArray body;
    for (int line = 0; line < 60; ++line)
        body += "line " + QByteArray::number(line) + "\r\n";
    for (int i = 0; i < 80; ++i) {
        index += "memo " + QByteArray::number(i) + "\r\n";
        writeFile(s.memoPath(QString::number(i) + ".txt"),
                  "memo " + QByteArray::number(i) + "\r\n" + body);
    }
    writeFile(s.memoPath("group.gl"), index);
    QVERIFY(s.start());

    s.list().verticalScrollBar()->setValue(50);
    const int listScroll = s.list().verticalScrollBar()->value();
    const QRect row = s.list().visualRect(s.list().model()->index(55, 0));
    QVERIFY(s.list().viewport()->rect().contains(row));
    s.clickRow(55);
    QCOMPARE(s.list().selectedRow(), 55);

    // A selection in the middle of the memo, scrolled there; typing replaces it.
    s.text().setFocus();
    QTextCursor cursor = s.text().textCursor();
    cursor.setPosition(s.text().document()->findBlockByNumber(31).position());
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 4);
    s.text().setTextCursor(cursor);
    s.text().centerCursor();
    const int start = cursor.selectionStart();
    const int textScroll = s.text().verticalScrollBar()->value();
    QVERIFY(textScroll > 0);
    s.type("L");
    QTextCursor after = s.text().textCursor();
    QCOMPARE(after.position(), start + 1);
    QCOMPARE(s.text().verticalScrollBar()->value(), textScroll);
    QCOMPARE(s.list().verticalScrollBar()->value(), listScroll);
    QCOMPARE(s.list().selectedRow(), 55);
    QVERIFY(s.file("55.txt").contains("line 29\r\nL 30\r\nline 31"));

    // Shift+Left selects while typing continues; the next save keeps that selection too.
    QTest::keyClick(&s.text(), Qt::Key_Left, Qt::ShiftModifier);
    s.type("M");
    QVERIFY(s.file("55.txt").contains("\r\nM 30\r\n"));
    QCOMPARE(s.text().textCursor().position(), after.position());
    QCOMPARE(s.list().verticalScrollBar()->value(), listScroll);

    // "新規" adds and takes away a memo at the end of the list; the list stays where it was.
    s.window().newAction()->trigger();
    QCOMPARE(s.list().selectedRow(), -1);
    QCOMPARE(s.list().verticalScrollBar()->value(), listScroll);
    QCOMPARE(s.rows().size(), 80);
    // So does deleting a memo in view.
    s.clickRow(56);
    s.window().deleteAction()->trigger();
    QCOMPARE(s.list().verticalScrollBar()->value(), listScroll);
    QCOMPARE(s.rows().size(), 79);
    QCOMPARE(s.file("56.txt"), "memo 57\r\n" + body);
}

void DayTest::oddLineBreaksAndBytesSurviveOpeningAndEditing() {
    Session s;
    const QByteArray odd = QByteArray("a\nb\rc\r\nd") + char(0xFF) + "e" + char(0) + "f";
    writeFile(s.memoPath("group.gl"), "odd\r\n");
    writeFile(s.memoPath("0.txt"), odd);
    QVERIFY(s.start());
    s.clickRow(0);
    QCOMPARE(s.text().document()->blockCount(), 4);
    // Opening saves the text exactly as it was read.
    QCOMPARE(s.file("0.txt"), odd);
    QCOMPARE(s.file("group.gl"),
             QByteArray("a\nb\rc") + "d" + char(0xFF) + "e" + char(0) + "f\r\n");

    // An edit sends the box's own text, in CR LF lines; the undecodable byte and the NUL (shown
    // as a symbol) come back.
    s.text().setFocus();
    QTest::keyClick(&s.text(), Qt::Key_End, Qt::ControlModifier);
    s.type("!");
    QCOMPARE(s.file("0.txt"), QByteArray("a\r\nb\r\nc\r\nd") + char(0xFF) + "e" + char(0) + "f!");
}

QTEST_MAIN(DayTest)
#include "gui_day_test.moc"
