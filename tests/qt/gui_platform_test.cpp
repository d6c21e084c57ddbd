// What the window asks of the system: one copy per program folder (also after a crash), the
// run-time error box when the memo folder is missing or a file call fails, and keeping the
// window in front.
#include <QProcess>
#include <csignal>

#include "gui_support.h"
#include "store/store_error.h"

using namespace tetomu;
using namespace tetomu::test;

class PlatformTest : public QObject {
    Q_OBJECT
  private slots:
    void secondCopyEndsBeforeTouchingTheStore();
    void realProgramRunsOnceAndACrashDoesNotBlockTheNextStart();
    void missingMemoFolderShowsTheErrorBoxAndNoWindow();
    void failedFileCallEndsTheProgram();
    void releaseAndKeepInFrontFromTheMenu();
};

void PlatformTest::secondCopyEndsBeforeTouchingTheStore() {
    Session first;
    QVERIFY(first.start());
    QVERIFY(QFile::remove(first.memoPath("group.gl")));

    App second(first.dir.path());
    QCOMPARE(second.start(), StartResult::AnotherCopyRunning);
    QVERIFY(!second.window().isVisible());
    QVERIFY(!QFile::exists(first.memoPath("group.gl")));

    // Another folder is another program.
    Session elsewhere;
    QVERIFY(elsewhere.start());

    first.app.reset();
    App third(first.dir.path());
    QCOMPARE(third.start(), StartResult::Shown);
    QCOMPARE(bytesOf(first.memoPath("group.gl")), QByteArray());
}

void PlatformTest::realProgramRunsOnceAndACrashDoesNotBlockTheNextStart() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("memo"));
    const QString program = dir.path() + "/tetomu";
    QVERIFY(QFile::copy(TETOMU_PROGRAM, program));
    const QString index = dir.path() + "/memo/group.gl";

    QProcess first;
    first.start(program, {});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(index), 30000);
    QVERIFY(QFile::remove(index));

    QProcess second;
    second.start(program, {});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!QFile::exists(index));

    // A copy that dies without cleaning up leaves nothing that blocks the next one.
    ::kill(pid_t(first.processId()), SIGKILL);
    QVERIFY(first.waitForFinished(30000));
    QProcess third;
    third.start(program, {});
    QVERIFY(third.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(index), 30000);
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    QVERIFY(third.waitForFinished(30000));
}

void PlatformTest::missingMemoFolderShowsTheErrorBoxAndNoWindow() {
    Session s(false);
    BoxAnswerer boxes;
    QVERIFY(!s.start());
    QCOMPARE(s.result, StartResult::Failed);
    QVERIFY(!s.window().isVisible());
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("テトム"));
    QCOMPARE(boxes.boxes[0].icon, QMessageBox::NoIcon);
    QCOMPARE(boxes.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY2(boxes.boxes[0].text.contains(s.dir.path() + "/memo/group.gl"),
             qPrintable(boxes.boxes[0].text));
    QCOMPARE(s.app->exitStatus(), 1);
    QVERIFY(QDir(s.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void PlatformTest::failedFileCallEndsTheProgram() {
    Session s;
    BoxAnswerer boxes;
    writeFile(s.memoPath("group.gl"), "one\r\ntwo\r\n");
    writeFile(s.memoPath("0.txt"), "one");
    writeFile(s.memoPath("1.txt"), "two");
    QVERIFY(s.start());
    s.clickRow(0);
    QVERIFY(QFile::remove(s.memoPath("1.txt")));

    s.clickRow(1);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY2(boxes.boxes[0].text.contains("1.txt"), qPrintable(boxes.boxes[0].text));
    QCOMPARE(s.app->exitStatus(), 1);
    QVERIFY(s.app->core().ended());

    // Nothing reaches the store any more; what was saved stays as it was.
    s.type("x");
    QCOMPARE(s.files(), (QStringList{"0.txt", "group.gl"}));
    QCOMPARE(s.file("0.txt"), QByteArray("one"));
    QCOMPARE(s.file("group.gl"), QByteArray("one\r\ntwo\r\n"));
}

void PlatformTest::releaseAndKeepInFrontFromTheMenu() {
    Session s;
    QVERIFY(s.start());
    MainWindow& w = s.window();
    const QRect frame = w.geometry();
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    w.releaseAction()->trigger();
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.windowHandle()->flags().testFlag(Qt::WindowType::Window));
    QVERIFY(!w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.releaseAction()->isChecked());
    QVERIFY(!w.keepInFrontAction()->isChecked());
    // Choosing the item that has the mark keeps it there.
    w.releaseAction()->trigger();
    QVERIFY(w.releaseAction()->isChecked());
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    w.keepInFrontAction()->trigger();
    QVERIFY(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.keepInFrontAction()->isChecked());
    QVERIFY(!w.releaseAction()->isChecked());
    QVERIFY(w.isVisible());
    QCOMPARE(w.geometry(), frame);
}

QTEST_MAIN(PlatformTest)
#include "gui_platform_test.moc"
