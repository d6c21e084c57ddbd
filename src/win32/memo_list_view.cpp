#include "win32/memo_list_view.h"

#include <algorithm>
#include <utility>

#include "win32/wide_text.h"
#include "window/display_text.h"
#include "window/memo_window.h"

namespace tetomu {

MemoListView::~MemoListView() {
    core_.observeList(nullptr);
}

void MemoListView::create(HWND parent, HINSTANCE instance, int id) {
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL |
                                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), instance,
                            nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    oldProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MemoListView::proc)));
    core_.observeList(this);
}

void MemoListView::fill() {
    // The rows come once the window is on screen: filling a list box with 32767 titles takes
    // longer than all the rest of the start, and need not keep the window away.
    filled_ = true;
    reset();
    selectionChanged();
}

LRESULT CALLBACK MemoListView::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MemoListView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self->handle(message, wParam, lParam);
}

int MemoListView::rowsPerPage() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int row = int(SendMessageW(hwnd_, LB_GETITEMHEIGHT, 0, 0));
    return row > 0 ? std::max(1, int(client.bottom - client.top) / row) : 1;
}

// The list box would select on its own at a press, again for every row the pointer crosses,
// and for typed letters. Here it selects nothing by itself: a press and its release are one
// pick, and the keys and letters that move the selection are passed to the core.
LRESULT MemoListView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd_);
            SetCapture(hwnd_);
            const LRESULT hit = SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, lParam);
            pressedRow_ = HIWORD(hit) == 0 ? int(LOWORD(hit)) : -1;
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            // The second press of a double-click is not another pick.
            SetCapture(hwnd_);
            pressedRow_ = -1;
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == hwnd_) return 0;
            break;
        case WM_LBUTTONUP: {
            if (GetCapture() == hwnd_) ReleaseCapture();
            const int row = std::exchange(pressedRow_, -1);
            if (row >= 0) core_.userSelect(row);
            return 0;
        }
        case WM_CHAR:
            // A letter moves to the next title that starts with it, as one pick.
            if (wParam > L' ' && wParam != 0x7F) core_.userListLetter(char16_t(wParam));
            return 0;
        case WM_KEYDOWN: {
            ListKey key;
            switch (wParam) {
                case VK_UP:
                    key = ListKey::Up;
                    break;
                case VK_DOWN:
                    key = ListKey::Down;
                    break;
                case VK_PRIOR:
                    key = ListKey::PageUp;
                    break;
                case VK_NEXT:
                    key = ListKey::PageDown;
                    break;
                case VK_HOME:
                    key = ListKey::Home;
                    break;
                case VK_END:
                    key = ListKey::End;
                    break;
                default:
                    return CallWindowProcW(oldProc_, hwnd_, message, wParam, lParam);
            }
            core_.userListKey(key, rowsPerPage(), int(SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0)));
            return 0;
        }
        default:
            break;
    }
    return CallWindowProcW(oldProc_, hwnd_, message, wParam, lParam);
}

void MemoListView::aboutToReset() {
    if (filled_) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void MemoListView::reset() {
    if (!filled_) return;
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    const int count = core_.memoList().count();
    if (count > 64) SendMessageW(hwnd_, LB_INITSTORAGE, WPARAM(count), LPARAM(count) * 64);
    for (int row = 0; row < count; ++row)
        insertRow(row);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MemoListView::insertRow(int row) {
    const std::u16string title = toDisplay(core_.memoList().title(row), kEditLineBreak);
    SendMessageW(hwnd_, LB_INSERTSTRING, WPARAM(row), reinterpret_cast<LPARAM>(wide(title)));
}

void MemoListView::inserted(int row) {
    if (filled_) insertRow(row);
}

void MemoListView::removed(int row) {
    if (filled_) SendMessageW(hwnd_, LB_DELETESTRING, WPARAM(row), 0);
}

void MemoListView::changed(int row) {
    if (!filled_) return;
    const LRESULT top = SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0);
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LB_DELETESTRING, WPARAM(row), 0);
    insertRow(row);
    SendMessageW(hwnd_, LB_SETTOPINDEX, WPARAM(top), 0);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    RECT r{};
    if (SendMessageW(hwnd_, LB_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(hwnd_, &r, TRUE);
}

void MemoListView::selectionChanged() {
    if (!filled_) return;
    const int row = core_.memoList().selectedRow();
    if (int(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)) != row) {
        SendMessageW(hwnd_, LB_SETCURSEL, WPARAM(row), 0);
    }
}

}  // namespace tetomu
