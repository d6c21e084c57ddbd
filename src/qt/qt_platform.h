#pragma once
// WindowPlatform on Qt: the program's folder, the message and error boxes, keeping the window
// in front, and watching the memo folder (inotify: a file written in place is a change too, which
// a watch of the folder's names alone would miss). One copy per memo folder is the store's folder
// lock; nothing is needed here.
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>

#include "qt/notice_tip.h"
#include "window/window_platform.h"

namespace tetomu {

class MainWindow;

class QtPlatform final : public WindowPlatform {
  public:
    explicit QtPlatform(const QString& programDirectory) : programDirectory_(programDirectory) {}
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;
    ~QtPlatform() override;

    void setWindow(MainWindow* window) { window_ = window; }
    // Set once the run-time error box has been shown: the program then ends with this status.
    bool failed() const { return failed_; }

    bool anotherCopyRunning() override { return false; }
    NativeString programDirectory() override;
    void showMessage(const std::u16string& text) override;
    void showNotice(const std::u16string& text) override;
    void keepInFront(bool inFront) override;
    void afterShown(std::function<void()> task) override;
    void afterEvent(std::function<void()> task) override;
    void runAfter(int milliseconds, std::function<void()> task) override;
    void showRuntimeError(const std::u16string& text) override;
    void watchFolder(const NativeString& folder, std::function<void()> changed) override;

  private:
    void drainWatch();

    QString programDirectory_;
    MainWindow* window_ = nullptr;
    bool failed_ = false;
    int watchFd_ = -1;
    std::unique_ptr<QSocketNotifier> watchNotifier_;
    QTimer settle_;
    NoticeTip notice_;
};

}  // namespace tetomu
