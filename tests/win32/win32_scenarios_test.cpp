// The scenario table run on the Windows window under Wine (or Windows): the real window on
// native controls, on its own thread, driven from the test thread with the messages a person's
// mouse and keyboard make; every message box is closed with OK as a person would. The program
// file itself is checked from outside by scripts/check-window.sh --windows.
// Run by scripts/test-windows.sh.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "store/ansi_codec_win.h"
#include "store/file_system_win.h"
#include "support/scenario.h"
#include "win32/memo_frame.h"
#include "window/display_text.h"
#include "window/layout.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using namespace std::chrono_literals;

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !done();) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A window's text, or its class name.
std::u16string textOf(HWND hwnd, bool className = false) {
    wchar_t buffer[4096];
    const int got =
        className ? GetClassNameW(hwnd, buffer, 4096) : GetWindowTextW(hwnd, buffer, 4096);
    return fromDisplay(std::u16string(buffer, buffer + std::max(got, 0)));
}

// The program's message box on this thread, closed with its OK button as a person does: its
// text, or nothing when none is up. It has that one button and no icon.
std::optional<std::u16string> closeBox(DWORD thread) {
    HWND box = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM found) -> BOOL {
            if (!IsWindowVisible(hwnd) || textOf(hwnd, true) != u"#32770") return TRUE;
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!box) return std::nullopt;
    EXPECT_EQ(textOf(box), texts::kAppTitle);
    std::u16string text;
    HWND ok = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        if (textOf(child, true) == u"Button") {
            EXPECT_EQ(ok, nullptr) << "one button";
            ok = child;
        } else if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            EXPECT_EQ(SendMessageW(child, STM_GETICON, 0, 0), 0) << "no icon";
        } else if (!textOf(child).empty()) {
            text = textOf(child);
        }
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED), LPARAM(ok));
    waitUntil([&] { return !IsWindow(box); });
    return text;
}

// Keys held with Ctrl, which the program reads from the keyboard's state: as the keyboard makes
// them, to the window that has the focus.
void pressWithControl(WORD key) {
    INPUT inputs[4] = {};
    const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

// The window in this process, on its own thread with its own message loop. The test thread
// plays the person.
class Win32Driver final : public Driver {
  public:
    ~Win32Driver() override {
        if (MemoFrame* frame = frame_.load()) PostMessageW(frame->hwnd(), WM_CLOSE, 0, 0);
        if (thread_) {
            EXPECT_EQ(WaitForSingleObject(thread_, 10000), WAIT_OBJECT_0);
        }
        for (HANDLE h : {thread_, started_, marked_})
            CloseHandle(h);
    }

    StartResult start(const fs::path& programDirectory) override {
        static int count = 0;
        options_.programDirectory = programDirectory.native();
        options_.singleCopyName = L"Local\\tetomu-test-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(++count);
        thread_ = CreateThread(nullptr, 0, &Win32Driver::main, this, 0, &threadId_);
        // Boxes shown during the start are closed as they come.
        waitUntil([&] {
            if (auto text = closeBox(threadId_)) seen_.push_back(*text);
            return WaitForSingleObject(started_, 0) == WAIT_OBJECT_0 ||
                   WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
        });
        drain();
        return result_;
    }

    void apply(const Step& step) override {
        const auto row = [&](int r, int nudge = 0) {
            RECT rect{};
            SendMessageW(list(), LB_GETITEMRECT, r, LPARAM(&rect));
            return MAKELPARAM((rect.left + rect.right) / 2 + nudge,
                              (rect.top + rect.bottom) / 2 + nudge);
        };
        switch (step.kind) {
            case Step::Type:
                focus(edit());
                for (const char16_t c : step.text) {
                    PostMessageW(edit(), WM_CHAR, c == u'\n' ? u'\r' : c, 1);
                    drain();
                }
                break;
            case Step::Commit:
                focus(edit());
                paste(step.text);
                break;
            case Step::KeyInText:
                focus(edit());
                textKey(step.textKey);
                break;
            case Step::KeyInList: {
                focus(list());
                const WORD keys[] = {VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END};
                key(list(), keys[int(step.listKey)]);
                break;
            }
            case Step::Click:
            case Step::DoubleClick:
                PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, row(step.row));
                PostMessageW(list(), WM_LBUTTONUP, 0, row(step.row));
                if (step.kind == Step::Click) break;
                PostMessageW(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, row(step.row));
                PostMessageW(list(), WM_LBUTTONUP, 0, row(step.row));
                break;
            case Step::Drag:
                PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, row(step.row));
                for (int r = step.row; r <= step.to; ++r)
                    PostMessageW(list(), WM_MOUSEMOVE, MK_LBUTTON, row(r, 1));
                PostMessageW(list(), WM_LBUTTONUP, 0, row(step.to));
                break;
            case Step::Tick:
                PostMessageW(check(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
                PostMessageW(check(), WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
                break;
            case Step::Menu:
                choose(step.command);
                break;
        }
        drain();
    }
    HandlerTrace& trace() override { return trace_; }

    std::vector<std::u16string> rows() override {
        std::vector<std::u16string> out;
        for (int i = 0; i < int(SendMessageW(list(), LB_GETCOUNT, 0, 0)); ++i) {
            std::u16string row(std::size_t(SendMessageW(list(), LB_GETTEXTLEN, i, 0)) + 1, u'\0');
            row.resize(std::size_t(SendMessageW(list(), LB_GETTEXT, i, LPARAM(row.data()))));
            out.push_back(fromDisplay(row));
        }
        return out;
    }
    int selected() override { return int(SendMessageW(list(), LB_GETCURSEL, 0, 0)); }
    std::u16string text() override {
        std::u16string text(std::size_t(GetWindowTextLengthW(edit())) + 1, u'\0');
        text.resize(std::size_t(
            GetWindowTextW(edit(), reinterpret_cast<wchar_t*>(text.data()), int(text.size()))));
        return fromDisplay(text);
    }
    bool ticked() override { return SendMessageW(check(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::array<bool, 2> inFrontMarks() override {
        const HMENU drop = GetSubMenu(GetMenu(hwnd()), 2);
        return {(GetMenuState(drop, kIdKeepInFront, MF_BYCOMMAND) & MF_CHECKED) != 0,
                (GetMenuState(drop, kIdRelease, MF_BYCOMMAND) & MF_CHECKED) != 0};
    }
    bool inFront() override { return (GetWindowLongW(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    std::vector<std::u16string> messages() override { return seen_; }
    bool ended() override {
        if (MemoFrame* frame = frame_.load()) return frame->window().ended();
        DWORD code = 0;
        return WaitForSingleObject(thread_, 5000) == WAIT_OBJECT_0 &&
               GetExitCodeThread(thread_, &code) && code == 1;
    }

    std::optional<WindowLook> look() override {
        WindowLook look{textOf(hwnd())};
        const HMENU bar = GetMenu(hwnd());
        for (const auto& [menu, count] : {std::pair{bar, 4}, std::pair{GetSubMenu(bar, 2), 2}}) {
            for (int i = 0; i < count; ++i) {
                wchar_t caption[128] = {};
                GetMenuStringW(menu, i, caption, 128, MF_BYPOSITION);
                look.menu += std::u16string(caption, caption + std::wcslen(caption)) + u"|";
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_FTYPE;
                GetMenuItemInfoW(menu, i, TRUE, &info);
                look.radioMarks = look.radioMarks || (info.fType & MFT_RADIOCHECK);
            }
        }
        const HWND controls[] = {list(), check(), frame().label(), edit()};
        for (int i = 0; i < 4; ++i) {
            RECT r{};
            GetWindowRect(controls[i], &r);
            MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
            look.places[std::size_t(i)] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        }
        look.dpi = frame().dpi();
        look.maximizeBox =
            (GetWindowLongW(hwnd(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME)) != 0;
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(threadId_, &gui);
        look.focusInList = gui.hwndFocus == list() && selected() < 0;
        return look;
    }

    MemoFrame& frame() { return *frame_.load(); }
    HWND hwnd() { return frame().hwnd(); }
    HWND list() { return frame().list(); }
    HWND edit() { return frame().edit(); }
    HWND check() { return frame().check(); }

  private:
    static DWORD WINAPI main(LPVOID self) { return static_cast<Win32Driver*>(self)->run(); }
    DWORD run() {
        Win32FileSystem files;
        AnsiCodec codec;
        MemoFrame frame(GetModuleHandleW(nullptr), files, codec, options_);
        frame.create();
        frame.window().setTrace(&trace_);
        marker_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
        SetWindowLongPtrW(marker_, GWLP_USERDATA, LONG_PTR(this));
        SetWindowLongPtrW(marker_, GWLP_WNDPROC, LONG_PTR(&Win32Driver::marker));
        frame_ = &frame;
        result_ = frame.start();
        SetEvent(started_);
        const int status =
            result_ == StartResult::Shown ? frame.run() : result_ == StartResult::Failed;
        frame_ = nullptr;
        DestroyWindow(marker_);
        return DWORD(status);
    }
    // On the window's thread: a mark that everything posted before it has been handled, and the
    // focus put where a person's click would put it.
    static LRESULT CALLBACK marker(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32Driver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_APP) return SetEvent(self->marked_), 0;
        if (message != WM_APP + 1) return DefWindowProcW(hwnd, message, wParam, lParam);
        SetForegroundWindow(self->frame_.load()->hwnd());
        SetFocus(HWND(wParam));
        return 0;
    }

    // Waits until the window's thread has handled everything posted so far; a box it opened
    // meanwhile stays open.
    void settle() {
        if (WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0) return;
        PostMessageW(marker_, WM_APP, 0, 0);
        const HANDLE either[] = {marked_, thread_};
        EXPECT_NE(WaitForMultipleObjects(2, either, FALSE, 10000), WAIT_TIMEOUT);
    }
    // Everything the last action set off, boxes included, has run.
    void drain() {
        for (settle(); auto text = closeBox(threadId_); settle())
            seen_.push_back(*text);
    }
    void focus(HWND control) {
        PostMessageW(marker_, WM_APP + 1, WPARAM(control), 0);
        settle();
    }
    void key(HWND to, WORD vk) {
        PostMessageW(to, WM_KEYDOWN, vk, 1);
        PostMessageW(to, WM_KEYUP, vk, 0xC0000001);
    }
    // A paste: the text on the clipboard, then the edit box takes it from there.
    void paste(const std::u16string& text) {
        const std::u16string shown = toDisplay(text, u"\r\n");
        const std::size_t bytes = (shown.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        std::memcpy(GlobalLock(memory), shown.c_str(), bytes);
        GlobalUnlock(memory);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        PostMessageW(edit(), WM_PASTE, 0, 0);
    }
    // Keys from the keyboard are taken after the messages posted to the window: what a key held
    // with Ctrl does is waited for before the next action.
    void textKey(TextKey k) {
        const int length = GetWindowTextLengthW(edit());
        const auto selected = [&](int from, int to) {
            EXPECT_TRUE(waitUntil([&] {
                DWORD start = 0, end = 0;
                SendMessageW(edit(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
                return int(start) == from && int(end) == to;
            }));
        };
        switch (k) {
            case TextKey::Enter:
                return void(PostMessageW(edit(), WM_CHAR, '\r', 1));
            case TextKey::Backspace:
                return void(PostMessageW(edit(), WM_CHAR, VK_BACK, 1));
            case TextKey::Delete:
                return key(edit(), VK_DELETE);
            case TextKey::SelectAll:
                pressWithControl('A');
                return selected(0, length);
            case TextKey::End:
                pressWithControl(VK_END);
                return selected(length, length);
            case TextKey::Home:
                pressWithControl(VK_HOME);
                return selected(0, 0);
        }
    }
    // The commands on the bar as the system reports a click on them; the drop-down's items by
    // their shortcuts, waited for as above.
    void choose(Command c) {
        if (c == Command::KeepInFront || c == Command::Release) {
            focus(list());
            pressWithControl(c == Command::KeepInFront ? VK_F7 : VK_F8);
            EXPECT_TRUE(waitUntil([&] { return settle(), !trace_.lines.empty(); }));
            return;
        }
        const int ids[] = {kIdNew, kIdDelete, 0, 0, kIdVersion};
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(ids[int(c)], 0), 0);
    }

    FrameOptions options_;
    HandlerTrace trace_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE started_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE marked_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<HWND> marker_ = nullptr;
    std::atomic<MemoFrame*> frame_ = nullptr;
    StartResult result_ = StartResult::Failed;
    std::vector<std::u16string> seen_;
};

class Win32Scenario : public testing::TestWithParam<std::size_t> {};

TEST_P(Win32Scenario, Run) {
    const Scenario& s = scenarios()[GetParam()];
    if (s.only == Only::Posix) GTEST_SKIP() << "POSIX only";
    Win32Driver driver;
    runScenario(s, driver);
}

INSTANTIATE_TEST_SUITE_P(Table, Win32Scenario, testing::Range<std::size_t>(0, scenarios().size()),
                         [](const auto& info) { return scenarioName(scenarios()[info.param]); });

}  // namespace
}  // namespace tetomu::test
