#include "win32/message_box.h"

#include "win32/wide_text.h"
#include "window/layout.h"
#include "window/texts.h"

namespace tetomu {
namespace {

// The box being shown on this thread is widened once, as it first becomes active.
thread_local HHOOK widening = nullptr;

void widen(HWND box) {
    const std::u16string_view title = texts::kAppTitle;
    const HDC dc = GetDC(box);
    const HGDIOBJ was = SelectObject(dc, HGDIOBJ(SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide(title), int(title.size()), &size);
    SelectObject(dc, was);
    ReleaseDC(box, dc);
    RECT r{};
    GetWindowRect(box, &r);
    const int extra = size.cx * layout::kMessageBoxTitleWidths - (r.right - r.left);
    if (extra <= 0) return;
    SetWindowPos(box, nullptr, r.left - extra / 2, r.top, r.right - r.left + extra,
                 r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT c{};
        GetWindowRect(child, &c);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&c), 2);
        SetWindowPos(child, nullptr, c.left + extra / 2, c.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK onActivate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && widening) {
        UnhookWindowsHookEx(widening);
        widening = nullptr;
        widen(HWND(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void showMessageBox(HWND owner, const std::u16string& prompt) {
    widening = SetWindowsHookExW(WH_CBT, &onActivate, nullptr, GetCurrentThreadId());
    MessageBoxW(owner, wide(prompt), wide(texts::kAppTitle), MB_OK);
    if (widening) UnhookWindowsHookEx(widening);
    widening = nullptr;
}

}  // namespace tetomu
