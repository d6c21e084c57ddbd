#include "win32/memo_text_edit.h"

#include <imm.h>

#include <algorithm>
#include <utility>

#include "win32/wide_text.h"
#include "window/display_text.h"
#include "window/memo_window.h"

namespace tetomu {
namespace {

// Posted to the box when a composition ends while characters of its result are still waiting,
// so that it closes after them.
constexpr UINT kCloseComposition = WM_APP + 3;

// Read straight into the string: it may be a memo of many megabytes, read at every keystroke.
std::u16string windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::u16string text(std::size_t(length) + 1, u'\0');
    const int got = GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(std::size_t(std::max(got, 0)));
    return text;
}

}  // namespace

MemoTextEdit::~MemoTextEdit() {
    core_.observeText(nullptr);
}

void MemoTextEdit::create(HWND parent, HINSTANCE instance, int id) {
    hwnd_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL |
            ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN,
        0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    // No limit but the system's own: a long memo pasted in must not be cut.
    SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    oldProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MemoTextEdit::proc)));
    core_.observeText(this);
}

void MemoTextEdit::changed() {
    // The box also reports the texts the core put into it; those are no edits.
    if (!assigning_) edited();
}

LRESULT CALLBACK MemoTextEdit::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MemoTextEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self->handle(message, wParam, lParam);
}

void MemoTextEdit::textAssigned() {
    shown_ = toDisplay(core_.memoText().text(), kEditLineBreak);
    assigning_ = true;
    SetWindowTextW(hwnd_, wide(shown_));
    assigning_ = false;
}

void MemoTextEdit::textReloaded() {
    DWORD caret = 0;
    SendMessageW(hwnd_, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    textAssigned();
    const auto at = WPARAM(std::min<std::size_t>(caret, shown_.size()));
    SendMessageW(hwnd_, EM_SETSEL, at, LPARAM(at));
}

// The edit box says only that something changed: the span is what lies between the parts at
// either end that stayed as they were. Positions are the memo's own, as the box shows every
// unit of the memo as one unit.
void MemoTextEdit::edited() {
    std::u16string now = windowText(hwnd_);
    const std::size_t common = std::min(now.size(), shown_.size());
    std::size_t head = 0;
    while (head < common && now[head] == shown_[head])
        ++head;
    std::size_t tail = 0;
    while (tail < common - head && now[now.size() - 1 - tail] == shown_[shown_.size() - 1 - tail])
        ++tail;
    if (head == common && now.size() == shown_.size()) {
        // Typed over with the same text: still an edit, at the caret.
        DWORD caret = 0;
        SendMessageW(hwnd_, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        head = std::min<std::size_t>(caret, now.size());
        tail = now.size() - head;
    }
    const std::u16string typed = now.substr(head, now.size() - tail - head);
    TextEdit edit{head, shown_.size() - tail - head, fromDisplay(typed)};
    shown_ = std::move(now);
    // A lone CR or LF pasted in is a line break to the person, and to the memo.
    const std::u16string kept = toDisplay(edit.inserted, kEditLineBreak);
    if (kept != typed) editRefitted({head, typed.size(), edit.inserted});
    core_.userEdit(edit);
}

void MemoTextEdit::editRefitted(const TextEdit& refit) {
    const std::u16string text = toDisplay(refit.inserted, kEditLineBreak);
    assigning_ = true;
    SendMessageW(hwnd_, EM_SETSEL, refit.at, refit.at + refit.removed);
    SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide(text)));
    assigning_ = false;
    shown_.replace(refit.at, refit.removed, text);
}

// An input method's composition, as Windows documents it for its own edit box: the box passes
// WM_IME_COMPOSITION to DefWindowProc, the input method shows the composition in a window of
// its own, and the result comes as one WM_IME_CHAR per UTF-16 unit, which DefWindowProc would
// post again as a WM_CHAR; those may come after WM_IME_ENDCOMPOSITION. (Wine's box shows the
// composition in the text instead and reports each change of it with EN_CHANGE.) Whichever way,
// every change from the start of a composition until its result is in is one change, which the
// core makes of them.
LRESULT MemoTextEdit::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_IME_STARTCOMPOSITION:
            resultCame_ = false;
            core_.userCompose();
            break;
        case WM_IME_COMPOSITION:
            if (lParam & GCS_RESULTSTR) resultCame_ = true;
            break;
        case WM_IME_CHAR:
            // Taken now, as the WM_CHAR it stands for, so that it cannot come after the close.
            return handle(WM_CHAR, wParam, lParam);
        case WM_IME_ENDCOMPOSITION: {
            const LRESULT result = CallWindowProcW(oldProc_, hwnd_, message, wParam, lParam);
            closeComposition();
            return result;
        }
        case kCloseComposition:
            closeComposition();
            return 0;
        case WM_CHAR:
            return typed(wParam, lParam);
        default:
            break;
    }
    return CallWindowProcW(oldProc_, hwnd_, message, wParam, lParam);
}

// A composition closes once the characters of its result still waiting in the queue are in.
void MemoTextEdit::closeComposition() {
    MSG waiting{};
    if (PeekMessageW(&waiting, hwnd_, WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) ||
        PeekMessageW(&waiting, hwnd_, WM_IME_CHAR, WM_IME_CHAR, PM_NOREMOVE | PM_NOYIELD)) {
        PostMessageW(hwnd_, kCloseComposition, 0, 0);
        return;
    }
    core_.userCloseComposition(std::exchange(resultCame_, false));
}

// A character outside a composition is an edit of its own, except that the two halves of a
// pair are one: the first waits in a composition that the next character closes.
LRESULT MemoTextEdit::typed(WPARAM wParam, LPARAM lParam) {
    if (std::exchange(pairOpen_, false)) {
        const LRESULT result = CallWindowProcW(oldProc_, hwnd_, WM_CHAR, wParam, lParam);
        core_.userCloseComposition(true);
        return result;
    }
    if (IS_HIGH_SURROGATE(wParam) && !core_.memoText().composing()) {
        pairOpen_ = true;
        core_.userCompose();
    }
    return CallWindowProcW(oldProc_, hwnd_, WM_CHAR, wParam, lParam);
}

}  // namespace tetomu
