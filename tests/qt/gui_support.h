#pragma once
// Shared by the GUI tests: a program on a real temporary folder, the bytes of its files, and a
// watcher that answers every message box the way a person does, recording what it showed.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "qt/app.h"
#include "qt/memo_list_view.h"
#include "qt/memo_text_edit.h"

namespace tetomu::test {

inline QByteArray bytesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Text in code page 932 for the expected bytes, written as the escapes a hex editor shows.
inline QByteArray sjis(const char* hex) {
    return QByteArray::fromHex(hex);
}

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

// Closes each modal message box with its OK button as soon as it is up.
class BoxAnswerer : public QObject {
  public:
    BoxAnswerer() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }
    QList<SeenBox> boxes;

  private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        boxes.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        box->button(QMessageBox::Ok)->click();
    }
    QTimer timer_;
};

// A program folder with a memo folder in it, and the program started on it.
class Session {
  public:
    explicit Session(bool withMemoFolder = true) {
        if (withMemoFolder) QDir(dir.path()).mkdir(QStringLiteral("memo"));
    }
    bool start() {
        app = std::make_unique<App>(dir.path());
        result = app->start();
        return result == StartResult::Shown && QTest::qWaitForWindowExposed(&app->window());
    }
    QString memoPath(const QString& name) const { return dir.path() + "/memo/" + name; }
    QByteArray file(const QString& name) const { return bytesOf(memoPath(name)); }
    QStringList files() const {
        return QDir(dir.path() + "/memo").entryList(QDir::Files, QDir::Name);
    }

    MainWindow& window() { return app->window(); }
    MemoListView& list() { return *app->window().List1(); }
    MemoTextEdit& text() { return *app->window().txtmemo(); }
    QStringList rows() {
        QStringList out;
        for (int i = 0; i < list().model()->rowCount(); ++i)
            out << list().model()->index(i, 0).data().toString();
        return out;
    }

    // A person's left click on row i of the list.
    void clickRow(int i) {
        const QRect rect = list().visualRect(list().model()->index(i, 0));
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, rect.center());
    }
    // A person's typing: committed text, as a keyboard or an input method delivers it.
    void type(const QString& typed) {
        text().setFocus();
        for (const QChar c : typed) {
            if (c == QLatin1Char('\n')) {
                QTest::keyClick(&this->text(), Qt::Key_Return);
            } else if (c.unicode() < 0x80) {
                QTest::keyClicks(&this->text(), QString(c));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(&this->text(), &commit);
            }
        }
    }

    QTemporaryDir dir;
    std::unique_ptr<App> app;
    StartResult result = StartResult::Failed;
};

}  // namespace tetomu::test
