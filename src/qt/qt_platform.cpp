#include "qt/qt_platform.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QTimer>

#include "qt/main_window.h"
#include "qt/memo_text_edit.h"
#include "qt/message_box.h"

namespace tetomu {

QtPlatform::~QtPlatform() {
    watchNotifier_.reset();
    if (watchFd_ >= 0) ::close(watchFd_);
}

NativeString QtPlatform::programDirectory() {
    return QFile::encodeName(QDir::toNativeSeparators(programDirectory_)).toStdString();
}

void QtPlatform::showMessage(const std::u16string& text) {
    showMessageBox(window_ && window_->isVisible() ? window_ : nullptr, text);
}

void QtPlatform::showNotice(const std::u16string& text) {
    if (!window_) return;
    MemoTextEdit* box = window_->memoText();
    QString shown = QString::fromStdU16String(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    notice_.showAt(box->viewport()->mapToGlobal(box->cursorRect().bottomRight()), shown);
}

void QtPlatform::keepInFront(bool inFront) {
    if (window_) window_->placeInFront(inFront);
}

void QtPlatform::afterShown(std::function<void()> task) {
    // Goes with the window, should the window go first.
    if (window_) QTimer::singleShot(MainWindow::kAfterShowingMs, window_, std::move(task));
}

void QtPlatform::afterEvent(std::function<void()> task) {
    QObject* owner = window_ ? static_cast<QObject*>(window_) : QCoreApplication::instance();
    QTimer::singleShot(0, owner, std::move(task));
}

void QtPlatform::runAfter(int milliseconds, std::function<void()> task) {
    QObject* owner = window_ ? static_cast<QObject*>(window_) : QCoreApplication::instance();
    QTimer::singleShot(milliseconds, owner, std::move(task));
}

void QtPlatform::showRuntimeError(const std::u16string& text) {
    failed_ = true;
    showMessageBox(window_ && window_->isVisible() ? window_ : nullptr, text);
    // Ends the event loop once the event that failed has returned; the core takes no more
    // actions in the meantime. Before the loop runs, start() reports the failure itself, and an
    // exit() then would only make the next modal box return at once.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(1);
}

void QtPlatform::watchFolder(const NativeString& folder, std::function<void()> changed) {
    if (watchFd_ >= 0) return;
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return;
    // Names made, moved or removed in the folder, and files in it written in place.
    constexpr std::uint32_t kChanges = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE |
                                       IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MOVE_SELF |
                                       IN_DELETE_SELF;
    if (::inotify_add_watch(fd, folder.c_str(), kChanges) < 0) {
        ::close(fd);
        return;
    }
    watchFd_ = fd;
    settle_.setSingleShot(true);
    settle_.setInterval(kWatchSettleMs);
    QObject::connect(&settle_, &QTimer::timeout, std::move(changed));
    watchNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(watchNotifier_.get(), &QSocketNotifier::activated, [this] { drainWatch(); });
}

// Each event moves the burst's end on; only its end is told.
void QtPlatform::drainWatch() {
    alignas(inotify_event) char buffer[4096];
    while (::read(watchFd_, buffer, sizeof buffer) > 0) {
    }
    settle_.start();
}

}  // namespace tetomu
