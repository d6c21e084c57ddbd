// The scenario table run on the Windows window under Wine (or Windows): the real window on
// native controls, driven with the messages a person's mouse and keyboard make, run through the
// program's own message handling. Every message box is closed with OK as a person would, by a
// timer that runs inside the box's own loop. The program file itself is checked from outside
// by scripts/check-window.sh --windows. Run by scripts/test-windows.sh.
#include <windows.h>
// After windows.h.
#include <imm.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>

#include "support/scenario.h"
#include "win32/app.h"
#include "win32/windows_as_documented.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

// A window's text in the memo's own units, or its class name; the table's texts are short.
std::u16string textOf(HWND hwnd, bool className = false) {
    wchar_t buffer[4096];
    const int got =
        className ? GetClassNameW(hwnd, buffer, 4096) : GetWindowTextW(hwnd, buffer, 4096);
    return fromDisplay(std::u16string(buffer, buffer + std::max(got, 0)));
}

// The texts of the boxes closed so far.
std::vector<std::u16string>* closedBoxes = nullptr;

// A window of this thread on screen, of this class; or none.
HWND shownWindow(const std::u16string& className) {
    std::pair<const std::u16string*, HWND> found{&className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM search) -> BOOL {
            auto* f = reinterpret_cast<std::pair<const std::u16string*, HWND>*>(search);
            if (!IsWindowVisible(hwnd) || textOf(hwnd, true) != *f->first) return TRUE;
            f->second = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.second;
}

// Run by a timer, so inside a box's own loop too: the program's message box (the system's own,
// with its OK button alone), closed with OK as a person does, its text kept.
void CALLBACK closeBox(HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = shownWindow(u"#32770");
    if (!box) return;
    EXPECT_EQ(textOf(box), texts::kAppTitle);
    std::u16string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && textOf(child, true) == u"Static" && !textOf(child).empty())
            text = textOf(child);
    closedBoxes->push_back(text);
    SendMessageW(box, WM_COMMAND, IDOK, 0);
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

// How an input method's words reach the box: through Wine's input method, whose box shows the
// composition in its text; or as Windows documents it for its own box, the composition in the
// input method's window and the result as characters, either WM_IME_CHAR sent as DefWindowProc
// sends them, or the WM_CHAR it posts for each, which come after WM_IME_ENDCOMPOSITION.
enum class InputMethod { Wine, ImeChars, PostedChars };

class Win32Driver final : public Driver {
  public:
    explicit Win32Driver(InputMethod inputMethod = InputMethod::Wine)
        : inputMethod_(inputMethod), timer_(SetTimer(nullptr, 0, 5, &closeBox)) {
        closedBoxes = &messages_;
    }
    // The window, closed, asks its loop to end; the next driver's boxes must not see that.
    ~Win32Driver() override {
        KillTimer(nullptr, timer_);
        app_.reset();
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        }
    }

    StartResult start(const fs::path& programDirectory) override {
        // A name of its own, apart from any copy of the program running meanwhile.
        const FrameOptions options{programDirectory.native(),
                                   L"Local\\tetomu-test-" + std::to_wstring(GetCurrentProcessId())};
        app_.emplace(GetModuleHandleW(nullptr), options, windowsAsDocumented());
        app_->core().setTrace(&trace_);
        const StartResult result = app_->start();
        pump();
        return result;
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
                    pump();
                }
                break;
            case Step::Commit:
                focus(edit());
                paste(step.text);
                break;
            case Step::Compose:
                compose(step);
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
            case Step::LetterInList:
                focus(list());
                PostMessageW(list(), WM_CHAR, step.text.at(0), 1);
                break;
            case Step::Wait:
            case Step::Another:
                // The folder's change notification, as the window's timer finds it.
                pumpUntil([] { return false; },
                          step.kind == Step::Wait ? 2 * MemoWindow::kSaveRetryMs + 500
                          : step.beforeTold       ? 0
                                                  : WindowPlatform::kWatchSettleMs + 500);
                break;
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
            default:  // the runner's own
                break;
        }
        pump();
        // Each notice the step brought, as it came up in its balloon beside the caret.
        const auto& notices = app_->platform().notices();
        for (; noticesSeen_ < notices.size(); ++noticesSeen_) {
            EXPECT_NE(shownWindow(u"tooltips_class32"), nullptr) << "a balloon";
            messages_.push_back(noticed(notices[noticesSeen_]));
        }
    }

    std::vector<std::u16string> rows() override {
        std::vector<std::u16string> out;
        for (int i = 0; i < int(SendMessageW(list(), LB_GETCOUNT, 0, 0)); ++i) {
            std::u16string row(std::size_t(SendMessageW(list(), LB_GETTEXTLEN, i, 0)) + 1, u'\0');
            row.resize(std::size_t(SendMessageW(list(), LB_GETTEXT, i, LPARAM(row.data()))));
            out.push_back(readBack(row));
        }
        return out;
    }
    int selected() override { return int(SendMessageW(list(), LB_GETCURSEL, 0, 0)); }
    std::u16string text() override { return readBack(textOf(edit())); }
    bool ticked() override { return SendMessageW(check(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::array<bool, 2> inFrontMarks() override {
        const HMENU drop = GetSubMenu(GetMenu(hwnd()), 2);
        auto marked = [&](Command c) {
            return (GetMenuState(drop, UINT(menuId(c)), MF_BYCOMMAND) & MF_CHECKED) != 0;
        };
        return {marked(Command::KeepInFront), marked(Command::Release)};
    }
    bool inFront() override { return (GetWindowLongW(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    bool ended() override { return app_->core().ended(); }
    std::optional<bool> textFocused() override { return GetFocus() == edit(); }

    std::optional<WindowLook> look() override {
        WindowLook look;
        const HMENU bar = GetMenu(hwnd());
        for (const auto& [menu, count] : {std::pair{bar, 4}, std::pair{GetSubMenu(bar, 2), 2}}) {
            for (int i = 0; i < count; ++i) {
                wchar_t caption[128] = {};
                GetMenuStringW(menu, i, caption, 128, MF_BYPOSITION);
                look.menu += std::u16string(caption, caption + std::wcslen(caption)) + u"|";
                // The item's type and state together; a drop-down's holds its count instead.
                const UINT state = GetMenuState(menu, UINT(i), MF_BYPOSITION);
                look.radioMarks |= !(state & MF_POPUP) && (state & MFT_RADIOCHECK);
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
        look.focusInList = GetFocus() == list() && selected() < 0;
        return look;
    }

    MainWindow& frame() { return app_->window(); }
    HWND hwnd() { return frame().hwnd(); }
    HWND list() { return frame().list(); }
    HWND edit() { return frame().edit(); }
    HWND check() { return frame().check(); }

  private:
    // Everything the last action set off has run, as the program's own loop runs it.
    void pump() {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT || frame().preTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Until `done`, or for `ms` at the most.
    bool pumpUntil(const std::function<bool()>& done, int ms = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (pump(); !done(); pump()) {
            if (std::chrono::steady_clock::now() > end) return false;
            Sleep(5);
        }
        return true;
    }
    // Where a person's click would put the focus.
    void focus(HWND control) {
        SetForegroundWindow(hwnd());
        SetFocus(control);
    }
    void key(HWND to, WORD vk) {
        PostMessageW(to, WM_KEYDOWN, vk, 1);
        PostMessageW(to, WM_KEYUP, vk, 0xC0000001);
    }
    // An input method through the system's calls on the box's input context: the composition
    // string grows, then is completed or cancelled; the box hears of it as from a person's.
    void compose(const Step& step) {
        if (step.text.empty()) {
            PostMessageW(edit(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
            PostMessageW(edit(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
            pump();
            return;
        }
        focus(edit());
        if (inputMethod_ != InputMethod::Wine) return composeAsDocumented(step);
        const HIMC context = ImmGetContext(edit());
        ImmSetOpenStatus(context, TRUE);
        const auto set = [&](const std::u16string& text) {
            ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<char16_t*>(text.data()),
                                     DWORD(text.size() * sizeof(char16_t)), nullptr, 0);
            pump();
        };
        for (std::size_t i = 1; i <= step.text.size(); ++i)
            set(step.text.substr(0, i));
        if (step.open) return void(ImmReleaseContext(edit(), context));
        if (!step.result.empty()) set(step.result);
        ImmNotifyIME(context, NI_COMPOSITIONSTR, step.result.empty() ? CPS_CANCEL : CPS_COMPLETE,
                     0);
        ImmReleaseContext(edit(), context);
        pump();
        if (step.result.empty()) focus(list());
    }
    // Wine's box reads the result from the input context itself, and the context keeps the last
    // one; an empty context of the box's own stands for Windows' box, which leaves it to
    // DefWindowProc.
    void composeAsDocumented(const Step& step) {
        const HIMC empty = ImmCreateContext();
        const HIMC was = ImmAssociateContext(edit(), empty);
        const auto send = [&](UINT message, WPARAM w, LPARAM l) {
            SendMessageW(edit(), message, w, l);
        };
        send(WM_IME_STARTCOMPOSITION, 0, 0);
        for (const char16_t c : step.text)
            send(WM_IME_COMPOSITION, c, GCS_COMPSTR);
        if (!step.result.empty()) send(WM_IME_COMPOSITION, step.result[0], GCS_RESULTSTR);
        for (const char16_t c : step.result) {
            if (inputMethod_ == InputMethod::ImeChars)
                send(WM_IME_CHAR, c, 1);
            else
                PostMessageW(edit(), WM_CHAR, c, 1);
        }
        send(WM_IME_ENDCOMPOSITION, 0, 0);
        pump();
        ImmAssociateContext(edit(), was);
        ImmDestroyContext(empty);
        if (step.result.empty()) focus(list());
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
    // with Ctrl does is waited for (the selection it makes) before the next action.
    void textKey(TextKey k) {
        if (k == TextKey::Enter || k == TextKey::Backspace)
            return void(PostMessageW(edit(), WM_CHAR, k == TextKey::Enter ? '\r' : VK_BACK, 1));
        if (k == TextKey::Delete) return key(edit(), VK_DELETE);
        const int length = GetWindowTextLengthW(edit());
        const int from = k == TextKey::End ? length : 0;
        const int to = k == TextKey::Home ? 0 : length;
        pressWithControl(k == TextKey::SelectAll ? 'A' : k == TextKey::End ? VK_END : VK_HOME);
        EXPECT_TRUE(pumpUntil([&] {
            DWORD start = 0, end = 0;
            SendMessageW(edit(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
            return int(start) == from && int(end) == to;
        }));
    }
    // The commands on the bar as the system reports a click on them; the drop-down's items by
    // their shortcuts, waited for as above.
    void choose(Command c) {
        if (const int f = menuRow(c).functionKey; f != 0) {
            focus(list());
            pressWithControl(WORD(VK_F1 + f - 1));
            EXPECT_TRUE(pumpUntil([&] { return !trace_.lines.empty(); }));
            return;
        }
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(menuId(c), 0), 0);
    }

    InputMethod inputMethod_;
    std::size_t noticesSeen_ = 0;
    UINT_PTR timer_;
    std::optional<App> app_;
};

template <InputMethod inputMethod>
void runOn(const Scenario& s) {
    Win32Driver driver(inputMethod);
    runScenario(s, driver);
}
// The scenarios with a word typed through an input method run again, the result coming each way
// Windows documents.
bool typesAWord(const Scenario& s) {
    return std::any_of(s.steps.begin(), s.steps.end(), [](const Step& step) {
        return step.kind == Step::Compose && !step.text.empty();
    });
}
const bool registered =
    registerScenarios("Win32Scenario", &runOn<InputMethod::Wine>) &&
    registerScenarios("Win32ImeChars", &runOn<InputMethod::ImeChars>, typesAWord) &&
    registerScenarios("Win32PostedChars", &runOn<InputMethod::PostedChars>, typesAWord);

}  // namespace
}  // namespace tetomu::test
