#pragma once
// WindowPlatform on Windows: one copy per session (a named mutex), the program's folder, the
// message and error boxes, keeping the window in front, the work that waits for the window
// to be on screen, and watching the memo folder (a change notification, looked at by a timer of
// the window's, so that what it tells runs on the window's thread between its messages). That work
// reaches the window as messages, which MainWindow's loop runs; the window itself, its controls and
// its menu are MainWindow's.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "store/program_folder.h"
#include "win32/notice_balloon.h"
#include "window/window_platform.h"

namespace tetomu {

struct FrameOptions {
    // The folder the memo folder sits in; empty means the folder of the program file.
    NativeString programDirectory;
    // The name by which copies of the program in one session find each other.
    std::wstring singleCopyName = L"Local\\tetomu.memo.single-copy";
};

// Posted to the window: run the tasks that waited for it to be on screen; give the list its
// rows, once the window is on screen.
inline constexpr UINT kRunAfterShown = WM_APP + 1;
inline constexpr UINT kFillList = WM_APP + 2;

class Win32Platform final : public WindowPlatform {
  public:
    explicit Win32Platform(FrameOptions options);
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;
    ~Win32Platform() override;

    // The window the boxes belong to and the posted work goes to; null once it is gone.
    void setWindow(HWND hwnd) { hwnd_ = hwnd; }
    // From here on a run-time error ends the message loop at once.
    void setStarted() { started_ = true; }
    // Set by the run-time error box: the program then ends with this status.
    int exitCode() const { return exitCode_; }
    // Runs the tasks afterShown() was given, on kRunAfterShown.
    void runAfterShown();
    // While a file call waits on someone else's handle: the windows repaint what was uncovered,
    // and nothing else runs, so no action of the person's starts inside the one waiting.
    static void paintWhileWaiting();
    // Every notice shown so far.
    const std::vector<std::u16string>& notices() const { return notices_; }

    bool anotherCopyRunning() override;
    NativeString programDirectory() override;
    void showMessage(const std::u16string& text) override;
    void showNotice(const std::u16string& text) override;
    void keepInFront(bool inFront) override;
    void afterShown(std::function<void()> task) override;
    void runAfter(int milliseconds, std::function<void()> task) override;
    void showRuntimeError(const std::u16string& text) override;
    void watchFolder(const NativeString& folder, std::function<void()> changed) override;

  private:
    void lookForChanges();

    FrameOptions options_;
    HWND hwnd_ = nullptr;
    HANDLE singleCopy_ = nullptr;
    bool started_ = false;
    int exitCode_ = 0;
    std::vector<std::function<void()>> afterShown_;
    NoticeBalloon notice_;
    std::vector<std::u16string> notices_;
    // runAfter()'s tasks by their timer's id.
    std::map<UINT_PTR, std::function<void()>> timers_;
    UINT_PTR nextTimer_ = 1;
    // The memo folder's change notification, and what is told when a burst of changes ends.
    HANDLE watch_ = INVALID_HANDLE_VALUE;
    std::function<void()> changed_;
    ULONGLONG lastChange_ = 0;
    bool burst_ = false;
};

}  // namespace tetomu
