#include "win32/win32_platform.h"

#include <filesystem>
#include <utility>

#include "store/file_system_win.h"
#include "win32/message_box.h"
#include "win32/wide_text.h"
#include "window/display_text.h"
#include "window/texts.h"

namespace tetomu {

Win32Platform::Win32Platform(FrameOptions options) : options_(std::move(options)) {}

Win32Platform::~Win32Platform() {
    if (singleCopy_) CloseHandle(singleCopy_);
    if (watch_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(watch_);
}

void Win32Platform::runAfterShown() {
    auto tasks = std::move(afterShown_);
    afterShown_.clear();
    for (auto& task : tasks)
        task();
}

void Win32Platform::paintWhileWaiting() {
    // A window that paints without validating would be sent WM_PAINT again at once: a bound.
    MSG msg{};
    for (int i = 0; i < 64 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageW(&msg);
}

bool Win32Platform::anotherCopyRunning() {
    singleCopy_ = CreateMutexW(nullptr, FALSE, options_.singleCopyName.c_str());
    const DWORD code = GetLastError();
    if (!singleCopy_) {
        // A copy started by someone whose mutex this session may not open.
        return code == ERROR_ACCESS_DENIED;
    }
    if (code == ERROR_ALREADY_EXISTS) {
        CloseHandle(singleCopy_);
        singleCopy_ = nullptr;
        return true;
    }
    return false;
}

NativeString Win32Platform::programDirectory() {
    if (!options_.programDirectory.empty()) return options_.programDirectory;
    std::wstring file(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, file.data(), DWORD(file.size()));
        if (got == 0) return {};
        if (got < file.size()) {
            file.resize(got);
            break;
        }
        file.resize(file.size() * 2);
    }
    // "C:\tetomu.exe" gives "C:\", which programFolder cuts to "C:".
    return std::filesystem::path(file).parent_path().native();
}

void Win32Platform::showMessage(const std::u16string& text) {
    const HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    showMessageBox(owner, toDisplay(text, kEditLineBreak));
}

void Win32Platform::keepInFront(bool inFront) {
    const bool first = !IsWindowVisible(hwnd_);
    ::SetWindowPos(hwnd_, inFront ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    if (first) PostMessageW(hwnd_, kFillList, 0, 0);
}

void Win32Platform::afterShown(std::function<void()> task) {
    afterShown_.push_back(std::move(task));
    PostMessageW(hwnd_, kRunAfterShown, 0, 0);
}

void Win32Platform::showNotice(const std::u16string& text) {
    notices_.push_back(text);
    notice_.show(FindWindowExW(hwnd_, nullptr, L"Edit", nullptr), std::u16string(texts::kAppTitle),
                 text);
}

void Win32Platform::runAfter(int milliseconds, std::function<void()> task) {
    const UINT_PTR id = nextTimer_++;
    timers_[id] = std::move(task);
    // The timer's message goes to the window's queue, and DispatchMessage calls the procedure.
    SetPropW(hwnd_, L"tetomu.platform", this);
    SetTimer(hwnd_, id, UINT(milliseconds), [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
        KillTimer(hwnd, id);
        auto* self = static_cast<Win32Platform*>(GetPropW(hwnd, L"tetomu.platform"));
        if (!self) return;
        auto found = self->timers_.find(id);
        if (found == self->timers_.end()) return;
        auto run = std::move(found->second);
        self->timers_.erase(found);
        run();
    });
}

void Win32Platform::showRuntimeError(const std::u16string& text) {
    showMessage(text);
    exitCode_ = 1;
    if (started_) PostQuitMessage(exitCode_);
}

namespace {

// The timer that looks at the folder's change notification.
constexpr UINT_PTR kWatchTimer = 0x7E70;
constexpr UINT kWatchLookMs = 100;

}  // namespace

void Win32Platform::watchFolder(const NativeString& folder, std::function<void()> changed) {
    if (watch_ != INVALID_HANDLE_VALUE || !hwnd_) return;
    // Names made, renamed or removed, and files written (their size or time changed).
    watch_ = FindFirstChangeNotificationW(
        longPathOf(folder).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    if (watch_ == INVALID_HANDLE_VALUE) return;
    changed_ = std::move(changed);
    SetPropW(hwnd_, L"tetomu.platform", this);
    SetTimer(hwnd_, kWatchTimer, kWatchLookMs, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
        if (auto* self = static_cast<Win32Platform*>(GetPropW(hwnd, L"tetomu.platform")))
            self->lookForChanges();
    });
}

// Each notification moves the burst's end on; only its end is told.
void Win32Platform::lookForChanges() {
    const ULONGLONG now = GetTickCount64();
    if (WaitForSingleObject(watch_, 0) == WAIT_OBJECT_0) {
        FindNextChangeNotification(watch_);
        lastChange_ = now;
        burst_ = true;
        return;
    }
    if (!burst_ || now - lastChange_ < ULONGLONG(kWatchSettleMs)) return;
    burst_ = false;
    changed_();
}

}  // namespace tetomu
