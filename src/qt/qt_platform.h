#pragma once
// WindowPlatform on Qt: the single-copy lock, the program's folder, the message and error boxes,
// and keeping the window in front.
#include <QString>

#include "qt/single_instance.h"
#include "window/window_platform.h"

namespace tetomu {

class MainWindow;

class QtPlatform final : public WindowPlatform {
  public:
    explicit QtPlatform(const QString& programDirectory);

    void setWindow(MainWindow* window) { window_ = window; }
    // Set once the run-time error box has been shown: the program then ends with this status.
    bool failed() const { return failed_; }

    bool anotherCopyRunning() override;
    NativeString programDirectory() override;
    void MsgBox(const std::u16string& prompt) override;
    void SetWindowPos(InsertAfter insertAfter, unsigned flags) override;
    void runtimeError(const std::u16string& text) override;

  private:
    QString programDirectory_;
    SingleInstance instance_;
    MainWindow* window_ = nullptr;
    bool failed_ = false;
};

}  // namespace tetomu
