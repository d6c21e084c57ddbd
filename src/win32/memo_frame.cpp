#include "win32/memo_frame.h"

#include <algorithm>
#include <filesystem>

#include "win32/resource.h"
#include "window/display_text.h"
#include "window/layout.h"
#include "window/texts.h"

namespace tetomu {
namespace {

constexpr wchar_t kFrameClass[] = L"TetomuMemo";
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

const wchar_t* wide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

std::wstring wideString(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(std::size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(std::size_t(std::max(got, 0)));
    return std::u16string(text.begin(), text.end());
}

// A control's place in pixels. Edges are rounded, not sizes, so neighbours stay as far apart as
// the twips say at any dpi.
RECT place(const layout::Rect& r, int dpi) {
    return RECT{layout::toPixels(r.left, dpi), layout::toPixels(r.top, dpi),
                layout::toPixels(r.left + r.width, dpi), layout::toPixels(r.top + r.height, dpi)};
}

void registerFrameClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, kFrameClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassExW(&wc);
}

MemoFrame* frameOf(HWND hwnd) {
    return reinterpret_cast<MemoFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

MemoFrame::MemoFrame(HINSTANCE instance, FileSystem& files, const TextCodec& codec,
                     FrameOptions options)
    : instance_(instance), options_(std::move(options)), window_(files, codec, *this) {}

MemoFrame::~MemoFrame() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (shortcuts_) DestroyAcceleratorTable(shortcuts_);
    if (font_) DeleteObject(font_);
    if (icon_) DestroyIcon(icon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (singleCopy_) CloseHandle(singleCopy_);
}

void MemoFrame::create() {
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi_ <= 0) dpi_ = 96;

    registerFrameClass(instance_);
    createMenu();

    RECT outer{0, 0, layout::toPixels(layout::kClientWidth, dpi_),
               layout::toPixels(layout::kClientHeight, dpi_)};
    const RECT client = outer;
    AdjustWindowRectEx(&outer, kFrameStyle, TRUE, 0);
    hwnd_ = CreateWindowExW(0, kFrameClass, wide(texts::kCaption), kFrameStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                            nullptr, menu_, instance_, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MemoFrame::frameProc));

    // A menu bar that wraps, or a frame drawn wider than the system said, changes the client
    // area; the client area is what the layout is measured in, so correct the outer size.
    RECT got{};
    GetClientRect(hwnd_, &got);
    const int dx = (client.right - client.left) - (got.right - got.left);
    const int dy = (client.bottom - client.top) - (got.bottom - got.top);
    if (dx != 0 || dy != 0) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + dx,
                       outer.bottom - outer.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    icon_ =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TETOMU), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TETOMU), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    if (icon_) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    if (smallIcon_) {
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    }

    createControls();

    window_.List1.setObserver(this);
    window_.txtmemo.setObserver(this);
    window_.Check1.setObserver(this);
    for (auto& item : window_.t11)
        item.setObserver(this);
}

void MemoFrame::createMenu() {
    menu_ = CreateMenu();
    AppendMenuW(menu_, MF_STRING, kIdNew, wide(texts::kMenuNew));
    AppendMenuW(menu_, MF_STRING, kIdDelete, wide(texts::kMenuDelete));
    inFrontMenu_ = CreatePopupMenu();
    const std::wstring keep = wideString(texts::kMenuKeepInFront) + L"\tCtrl+F7";
    const std::wstring release = wideString(texts::kMenuRelease) + L"\tCtrl+F8";
    AppendMenuW(inFrontMenu_, MF_STRING, kIdKeepInFront, keep.c_str());
    AppendMenuW(inFrontMenu_, MF_STRING, kIdRelease, release.c_str());
    for (UINT id : {kIdKeepInFront, kIdRelease}) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        info.fType = MFT_STRING | MFT_RADIOCHECK;
        SetMenuItemInfoW(inFrontMenu_, id, FALSE, &info);
    }
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(inFrontMenu_),
                wide(texts::kMenuInFront));
    AppendMenuW(menu_, MF_STRING, kIdVersion, wide(texts::kMenuVersion));

    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, WORD(VK_F1 + layout::kKeepInFrontFunctionKey - 1), kIdKeepInFront},
        {FVIRTKEY | FCONTROL, WORD(VK_F1 + layout::kReleaseFunctionKey - 1), kIdRelease},
    };
    shortcuts_ = CreateAcceleratorTableW(keys, 2);
}

void MemoFrame::createControls() {
    // The platform's own dialog font, as every control of the system's dialogs has it.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }

    auto make = [&](DWORD exStyle, const wchar_t* cls, std::u16string_view text, DWORD style,
                    int id, const layout::Rect& where) {
        const RECT r = place(where, dpi_);
        HWND control = CreateWindowExW(exStyle, cls, wide(text),
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left,
                                       r.top, r.right - r.left, r.bottom - r.top, hwnd_,
                                       reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
        if (font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return control;
    };
    // Created in the tab sequence's order; the label sits between the check box and the text
    // box but takes no focus.
    list_ =
        make(WS_EX_CLIENTEDGE, L"LISTBOX", u"",
             WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, kIdList1, layout::kList1);
    check_ = make(0, L"BUTTON", texts::kCheckCaption, WS_TABSTOP | BS_AUTOCHECKBOX, kIdCheck1,
                  layout::kCheck1);
    label_ = make(0, L"STATIC", texts::kArrangeLabel, SS_LEFT, kIdLabel3, layout::kLabel3);
    edit_ = make(WS_EX_CLIENTEDGE, L"EDIT", u"",
                 WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                     ES_AUTOVSCROLL | ES_WANTRETURN,
                 kIdTxtmemo, layout::kTxtmemo);
    // No limit but the system's own: a long memo pasted in must not be cut.
    SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);

    SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    oldListProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MemoFrame::listProc)));
}

StartResult MemoFrame::start() {
    const StartResult result = window_.start();
    if (result == StartResult::Shown) {
        started_ = true;
        afterAction();
        SetFocus(list_);
    }
    return result;
}

int MemoFrame::run() {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return int(msg.wParam);
        if (got < 0) return exitCode_ != 0 ? exitCode_ : 1;
        if (preTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool MemoFrame::preTranslate(MSG& msg) {
    if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
    if (shortcuts_ && TranslateAcceleratorW(hwnd_, shortcuts_, &msg)) return true;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB &&
        (GetKeyState(VK_CONTROL) & 0x8000) == 0 && (GetKeyState(VK_MENU) & 0x8000) == 0) {
        // Tab leaves the text box too: a memo holds no tab typed with the Tab key alone.
        moveTabFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return true;
    }
    return false;
}

void MemoFrame::moveTabFocus(bool backwards) {
    const HWND order[] = {list_, check_, edit_};
    const HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < 3; ++i) {
        if (order[i] == focus) at = i;
    }
    const int next = at < 0 ? 0 : (at + (backwards ? 2 : 1)) % 3;
    SetFocus(order[next]);
}

LRESULT CALLBACK MemoFrame::frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (MemoFrame* self = frameOf(hwnd); self && self->hwnd_ == hwnd) {
        return self->handle(message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MemoFrame::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
            }
            break;
        case WM_SETFOCUS:
            // The window itself never keeps the focus; it goes back where the person left it.
            SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : list_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(exitCode_);
            return 0;
        case WM_NCDESTROY: {
            const LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
            hwnd_ = nullptr;
            return result;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MemoFrame::command(int id, int code) {
    switch (id) {
        case kIdNew:
            window_.choose(Command::New);
            break;
        case kIdDelete:
            window_.choose(Command::Delete);
            break;
        case kIdKeepInFront:
            window_.choose(Command::KeepInFront);
            break;
        case kIdRelease:
            window_.choose(Command::Release);
            break;
        case kIdVersion:
            window_.choose(Command::Version);
            break;
        case kIdList1:
            if (code == LBN_SELCHANGE) listSelectionChanged();
            return;
        case kIdCheck1:
            if (code != BN_CLICKED) return;
            window_.userClickCheck();
            break;
        case kIdTxtmemo:
            // The text box also reports texts the core put into it; those are no edits.
            if (code != EN_CHANGE || assigning_) return;
            window_.userEdit(textFromDisplay(windowText(edit_)));
            break;
        default:
            return;
    }
    afterAction();
}

LRESULT CALLBACK MemoFrame::listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return frameOf(hwnd)->handleList(hwnd, message, wParam, lParam);
}

// The list box reports a selection that a person changed, but not a click on the item that is
// already selected, and it reports a mouse selection while it still tracks the button. Each
// press becomes one click, made when the list box has finished with the press; a key that moves
// the selection becomes one click once the list box has handled the key.
LRESULT MemoFrame::handleList(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
        const int selected = int(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
        listPressed_ = true;
        listPressOnSelected_ = HIWORD(hit) == 0 && selected >= 0 && int(LOWORD(hit)) == selected;
    }
    ++listDepth_;
    const LRESULT result = CallWindowProcW(oldListProc_, hwnd, message, wParam, lParam);
    --listDepth_;
    if ((message == WM_LBUTTONUP || message == WM_CAPTURECHANGED) && listPressed_) {
        listPressed_ = false;
        if (listPressOnSelected_) listClickPending_ = true;
        listPressOnSelected_ = false;
    }
    if (listDepth_ == 0 && listClickPending_ && !listTracking()) {
        listClickPending_ = false;
        userSelectCurrent();
    }
    return result;
}

bool MemoFrame::listTracking() const {
    return listPressed_ && GetCapture() == list_;
}

void MemoFrame::listSelectionChanged() {
    if (listDepth_ > 0 || listTracking()) {
        listClickPending_ = true;
        return;
    }
    userSelectCurrent();
}

void MemoFrame::userSelectCurrent() {
    const int selected = int(SendMessageW(list_, LB_GETCURSEL, 0, 0));
    if (selected < 0) return;
    window_.userSelect(selected);
    afterAction();
}

void MemoFrame::afterAction() {
    if (!hwnd_) return;
    if (listStale_) syncList();
    syncCheck();
}

void MemoFrame::syncList() {
    listStale_ = false;
    const auto& items = window_.List1.items();
    bool rowsChanged = false;
    if (!listReshaped_) {
        // The rows stayed where they were: rewrite only the ones the core named and that differ.
        const LRESULT top = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
        for (const int row : changedRows_) {
            const auto r = std::size_t(row);
            if (items[r] == shownItems_[r]) continue;
            if (!rowsChanged) SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
            rowsChanged = true;
            shownItems_[r] = items[r];
            const std::u16string text = textForDisplay(items[r]);
            SendMessageW(list_, LB_DELETESTRING, r, 0);
            SendMessageW(list_, LB_INSERTSTRING, r, reinterpret_cast<LPARAM>(wide(text)));
        }
        if (rowsChanged) SendMessageW(list_, LB_SETTOPINDEX, WPARAM(top), 0);
    } else if (items != shownItems_) {
        rowsChanged = true;
        const LRESULT top = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
        SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
        // Only the rows between the unchanged start and the unchanged end are rewritten: a
        // save changes one title, a deletion removes one row.
        const std::size_t common = std::min(items.size(), shownItems_.size());
        std::size_t head = 0;
        while (head < common && items[head] == shownItems_[head])
            ++head;
        std::size_t tail = 0;
        while (tail < common - head &&
               items[items.size() - 1 - tail] == shownItems_[shownItems_.size() - 1 - tail]) {
            ++tail;
        }
        if (head == 0 && tail == 0) {
            SendMessageW(list_, LB_RESETCONTENT, 0, 0);
        } else {
            for (std::size_t i = head; i < shownItems_.size() - tail; ++i) {
                SendMessageW(list_, LB_DELETESTRING, head, 0);
            }
        }
        const std::size_t newEnd = items.size() - tail;
        if (newEnd > head + 64) {
            SendMessageW(list_, LB_INITSTORAGE, newEnd - head, 0);
        }
        for (std::size_t i = head; i < newEnd; ++i) {
            const std::u16string row = textForDisplay(items[i]);
            SendMessageW(list_, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(wide(row)));
        }
        shownItems_ = items;
        SendMessageW(list_, LB_SETTOPINDEX, WPARAM(top), 0);
    }
    listReshaped_ = false;
    changedRows_.clear();
    const int want = window_.List1.ListIndex();
    if (int(SendMessageW(list_, LB_GETCURSEL, 0, 0)) != want) {
        SendMessageW(list_, LB_SETCURSEL, WPARAM(want), 0);
    }
    if (rowsChanged) {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
}

void MemoFrame::syncCheck() {
    if (!check_) return;
    const WPARAM want = window_.Check1.Value() != 0 ? BST_CHECKED : BST_UNCHECKED;
    if (WPARAM(SendMessageW(check_, BM_GETCHECK, 0, 0)) != want) {
        SendMessageW(check_, BM_SETCHECK, want, 0);
    }
}

void MemoFrame::syncMenu() {
    if (!inFrontMenu_) return;
    const UINT ids[] = {kIdKeepInFront, kIdRelease};
    for (std::size_t i = 0; i < 2; ++i) {
        CheckMenuItem(inFrontMenu_, ids[i],
                      MF_BYCOMMAND | (window_.t11[i].Checked() ? MF_CHECKED : MF_UNCHECKED));
    }
}

void MemoFrame::textAssigned() {
    if (!edit_) return;
    assigning_ = true;
    SetWindowTextW(edit_, wide(textForDisplay(window_.txtmemo.Text())));
    assigning_ = false;
}

bool MemoFrame::anotherCopyRunning() {
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

NativeString MemoFrame::programDirectory() {
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
    // "C:\tetomu.exe" gives "C:\", which basePath cuts to "C:".
    return std::filesystem::path(file).parent_path().native();
}

void MemoFrame::MsgBox(const std::u16string& prompt) {
    // The person sees the window as the core has it while the box is open.
    afterAction();
    const HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    MessageBoxW(owner, wide(prompt), wide(texts::kAppTitle), MB_OK);
}

void MemoFrame::SetWindowPos(InsertAfter insertAfter, unsigned flags) {
    afterAction();
    ::SetWindowPos(hwnd_, insertAfter == InsertAfter::Topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0,
                   0, 0, flags);
}

void MemoFrame::runtimeError(const std::u16string& text) {
    afterAction();
    const HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    MessageBoxW(owner, wide(text), wide(texts::kAppTitle), MB_OK);
    exitCode_ = 1;
    if (started_) PostQuitMessage(exitCode_);
}

}  // namespace tetomu
