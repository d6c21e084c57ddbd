#include "win32/notice_balloon.h"

#include <commctrl.h>

#include "win32/wide_text.h"

namespace tetomu {

NoticeBalloon::~NoticeBalloon() {
    if (tip_) DestroyWindow(tip_);
}

void NoticeBalloon::show(HWND edit, const std::u16string& title, const std::u16string& text) {
    if (!edit) return;
    const std::wstring caption = wideString(title);
    text_ = wideString(text);
    EDITBALLOONTIP balloon{sizeof(EDITBALLOONTIP), caption.c_str(), text_.c_str(), TTI_INFO};
    if (SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&balloon))) return;

    if (!tip_) {
        tip_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               edit, nullptr, nullptr, nullptr);
        if (!tip_) return;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
        tool.hwnd = edit;
        tool.uId = reinterpret_cast<UINT_PTR>(edit);
        tool.lpszText = text_.data();
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = edit;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = text_.data();
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, TTM_SETTITLEW, TTI_INFO, reinterpret_cast<LPARAM>(caption.c_str()));
    POINT caret{};
    GetCaretPos(&caret);
    caret.y += 16;
    ClientToScreen(edit, &caret);
    SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(caret.x, caret.y));
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(tip_, 1, kShownMs, &NoticeBalloon::hide);
}

void CALLBACK NoticeBalloon::hide(HWND tip, UINT, UINT_PTR id, DWORD) {
    KillTimer(tip, id);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetWindow(tip, GW_OWNER);
    tool.uId = reinterpret_cast<UINT_PTR>(tool.hwnd);
    SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace tetomu
