// How long one keystroke takes through the real widgets when the list is full (32767 memos):
// the save rewrites and rereads the index, and the list updates the one row that changed.
// A benchmark, not a test: it reports, it asserts nothing about time.
//   QT_QPA_PLATFORM=offscreen build/tests/qt/gui_keystroke_bench
#include <QScrollBar>

#include "gui_support.h"

using namespace tetomu;
using namespace tetomu::test;

class KeystrokeBench : public QObject {
    Q_OBJECT
  private slots:
    void keystrokeInAFullList();
};

void KeystrokeBench::keystrokeInAFullList() {
    Session s;
    QByteArray index;
    for (int i = 0; i < kMaxMemos; ++i) {
        index += "memo number " + QByteArray::number(i) + "\r\n";
        writeFile(s.memoPath(QString::number(i) + ".txt"), "memo number " + QByteArray::number(i));
    }
    writeFile(s.memoPath("group.gl"), index);
    QVERIFY(s.start());
    s.list().scrollTo(s.list().model()->index(30000, 0));
    s.clickRow(30000);
    s.text().setFocus();
    QTest::keyClick(&s.text(), Qt::Key_End, Qt::ControlModifier);
    const int scroll = s.list().verticalScrollBar()->value();
    QBENCHMARK {
        QTest::keyClicks(&s.text(), "x");
    }
    QCOMPARE(s.list().verticalScrollBar()->value(), scroll);
    QCOMPARE(s.list().selectedRow(), 30000);
}

QTEST_MAIN(KeystrokeBench)
#include "gui_keystroke_bench.moc"
