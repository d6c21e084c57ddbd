#include "win32/memo_frame.h"

#include <imm.h>
#include <oleacc.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "win32/message_box.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "window/display_text.h"
#include "window/layout.h"
#include "window/texts.h"

namespace tetomu {
namespace {

constexpr wchar_t kFrameClass[] = L"TetomuMemo";
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr std::u16string_view kEditLineBreak = u"\r\n";
constexpr UINT kRunAfterShown = WM_APP + 1;
constexpr UINT kFillList = WM_APP + 2;
// Posted to the text box when a composition ends, so that it closes after any result the input
// method posted as characters.
constexpr UINT kCloseComposition = WM_APP + 3;

// Read straight into the string: it may be a memo of many megabytes, read at every keystroke.
std::u16string windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::u16string text(std::size_t(length) + 1, u'\0');
    const int got = GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(std::size_t(std::max(got, 0)));
    return text;
}

// A control's place in pixels. Edges are rounded, not sizes, so neighbours stay as far apart as
// the twips say at any dpi.
RECT place(const layout::Rect& r, int dpi) {
    return RECT{layout::toPixels(r.left, dpi), layout::toPixels(r.top, dpi),
                layout::toPixels(r.left + r.width, dpi), layout::toPixels(r.top + r.height, dpi)};
}

// Calls that only newer systems have, looked up so the program still starts without them.
template <class Function>
Function* user32(const char* name) {
    return reinterpret_cast<Function*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int dpiOf(HWND hwnd) {
    if (auto* forWindow = user32<UINT WINAPI(HWND)>("GetDpiForWindow"); forWindow && hwnd) {
        if (const UINT dpi = forWindow(hwnd)) return int(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// The system's message font at this dpi, as every control of the system's dialogs has it.
HFONT messageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpi = BOOL WINAPI(UINT, UINT, PVOID, UINT, UINT);
    if (auto* forDpi = user32<ForDpi>("SystemParametersInfoForDpi")) {
        if (!forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, UINT(dpi)))
            return nullptr;
    } else if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return nullptr;
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
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
    window_.observeList(nullptr);
    window_.observeText(nullptr);
    window_.observeCheck(nullptr);
    window_.observeMenu(nullptr);
    if (hwnd_) DestroyWindow(hwnd_);
    if (shortcuts_) DestroyAcceleratorTable(shortcuts_);
    if (font_) DeleteObject(font_);
    if (icon_) DestroyIcon(icon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (singleCopy_) CloseHandle(singleCopy_);
}

void MemoFrame::create() {
    registerFrameClass(instance_);
    createMenu();
    dpi_ = dpiOf(nullptr);
    hwnd_ = CreateWindowExW(0, kFrameClass, wide(texts::kCaption), kFrameStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, nullptr, menu_, instance_, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MemoFrame::frameProc));
    // The monitor the system placed the window on decides its dpi.
    dpi_ = dpiOf(hwnd_);

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
    placeControls();
    nameForScreenReaders();

    window_.observeList(this);
    window_.observeText(this);
    window_.observeCheck(this);
    window_.observeMenu(this);
}

void MemoFrame::createMenu() {
    menu_ = CreateMenu();
    std::vector<ACCEL> keys;
    for (const MenuRow& row : kMenu) {
        if (!row.command) {
            inFrontMenu_ = CreatePopupMenu();
            AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(inFrontMenu_),
                        wide(row.caption));
            continue;
        }
        const WORD id = WORD(menuId(*row.command));
        std::wstring caption = wideString(row.caption);
        if (row.functionKey != 0) {
            caption += L"\tCtrl+F" + std::to_wstring(row.functionKey);
            keys.push_back({FVIRTKEY | FCONTROL, WORD(VK_F1 + row.functionKey - 1), id});
        }
        AppendMenuW(row.place == MenuPlace::DropDown ? inFrontMenu_ : menu_, MF_STRING, id,
                    caption.c_str());
    }
    shortcuts_ = CreateAcceleratorTableW(keys.data(), int(keys.size()));
}

void MemoFrame::createControls() {
    auto make = [&](DWORD exStyle, const wchar_t* cls, std::u16string_view text, DWORD style,
                    int id) {
        return CreateWindowExW(exStyle, cls, wide(text),
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
    };
    // Created in the tab sequence's order (moveTabFocus keeps it), the label just before the
    // check box it names: a screen reader that names a control by the label before it then
    // gives the text box no "整理".
    list_ = make(WS_EX_CLIENTEDGE, L"LISTBOX", u"",
                 WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, kIdList1);
    label_ = make(0, L"STATIC", window_.arrangeLabel(), SS_LEFT, kIdLabel3);
    check_ = make(0, L"BUTTON", texts::kCheckCaption, WS_TABSTOP | BS_AUTOCHECKBOX, kIdCheck1);
    edit_ = make(WS_EX_CLIENTEDGE, L"EDIT", u"",
                 WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                     ES_AUTOVSCROLL | ES_WANTRETURN,
                 kIdTxtmemo);
    // No limit but the system's own: a long memo pasted in must not be cut.
    SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);

    SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    oldListProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MemoFrame::listProc)));
    SetWindowLongPtrW(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    oldEditProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MemoFrame::editProc)));
}

// The window and its controls at the twips of the layout, for the dpi of the window's monitor.
void MemoFrame::placeControls() {
    if (font_) DeleteObject(font_);
    font_ = messageFont(dpi_);
    const std::pair<HWND, const layout::Rect*> controls[] = {
        {list_, &layout::kList1},
        {check_, &layout::kCheck1},
        {label_, &layout::kLabel3},
        {edit_, &layout::kTxtmemo},
    };
    for (const auto& [control, where] : controls) {
        const RECT r = place(*where, dpi_);
        ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    // The client area is what the layout is measured in: the frame, the caption and a menu bar
    // (which may wrap) come on top of it, whatever their sizes at this dpi.
    const int width = layout::toPixels(layout::kClientWidth, dpi_);
    const int height = layout::toPixels(layout::kClientHeight, dpi_);
    for (int pass = 0; pass < 2; ++pass) {
        RECT outer{}, client{};
        GetWindowRect(hwnd_, &outer);
        GetClientRect(hwnd_, &client);
        const int dx = width - (client.right - client.left);
        const int dy = height - (client.bottom - client.top);
        if (dx == 0 && dy == 0) break;
        ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + dx,
                       outer.bottom - outer.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The list and the text box have no caption, and the check box's caption is never seen: a
// screen reader is given the name a person would use for each. Nothing visible changes.
void MemoFrame::nameForScreenReaders() {
    IAccPropServices* services = nullptr;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        const std::pair<HWND, std::u16string_view> names[] = {
            {list_, texts::kListName},
            {edit_, texts::kTextName},
            {check_, window_.arrangeLabel()},
        };
        for (const auto& [control, name] : names) {
            const std::wstring text = wideString(name);
            services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                     text.c_str());
        }
        services->Release();
    }
}

StartResult MemoFrame::start() {
    const StartResult result = window_.start();
    if (result == StartResult::Shown) {
        started_ = true;
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
    if (msg.message != WM_KEYDOWN) return false;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (msg.wParam == VK_TAB && !control && (GetKeyState(VK_MENU) & 0x8000) == 0) {
        // Tab leaves the text box too: a memo holds no tab typed with the Tab key alone.
        moveTabFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return true;
    }
    if (msg.wParam == 'A' && control && msg.hwnd == edit_) {
        // Select all, as in every text box a person knows.
        SendMessageW(edit_, EM_SETSEL, 0, -1);
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
        case kFillList:
            // The rows come once the window is on screen: filling a list box with 32767 titles
            // takes longer than all the rest of the start, and need not keep the window away.
            filled_ = true;
            reset();
            selectionChanged();
            return 0;
        case kRunAfterShown: {
            auto tasks = std::move(afterShown_);
            afterShown_.clear();
            for (auto& task : tasks)
                task();
            return 0;
        }
        case WM_DPICHANGED: {
            // Moved to a monitor of another scale: the same twips at the new dpi, sharp.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            dpi_ = HIWORD(wParam);
            placeControls();
            return 0;
        }
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
    if (id >= kIdFirstCommand && id < kIdFirstCommand + kCommandCount) {
        return window_.choose(Command(id - kIdFirstCommand));
    }
    switch (id) {
        case kIdCheck1:
            if (code == BN_CLICKED) window_.userClickCheck();
            return;
        case kIdTxtmemo:
            // The text box also reports the texts the core put into it; those are no edits.
            if (code == EN_CHANGE && !assigning_) textEdited();
            return;
        default:
            return;
    }
}

// The edit box says only that something changed: the span is what lies between the parts at
// either end that stayed as they were. Positions are the memo's own, as the box shows every
// unit of the memo as one unit.
void MemoFrame::textEdited() {
    std::u16string now = windowText(edit_);
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
        SendMessageW(edit_, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        head = std::min<std::size_t>(caret, now.size());
        tail = now.size() - head;
    }
    const std::u16string typed = now.substr(head, now.size() - tail - head);
    TextEdit edit{head, shown_.size() - tail - head, fromDisplay(typed)};
    shown_ = std::move(now);
    // A lone CR or LF pasted in is a line break to the person, and to the memo.
    const std::u16string kept = toDisplay(edit.inserted, kEditLineBreak);
    if (kept != typed) editRefitted({head, typed.size(), edit.inserted});
    window_.userEdit(edit);
}

void MemoFrame::editRefitted(const TextEdit& refit) {
    const std::u16string text = toDisplay(refit.inserted, kEditLineBreak);
    assigning_ = true;
    SendMessageW(edit_, EM_SETSEL, refit.at, refit.at + refit.removed);
    SendMessageW(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide(text)));
    assigning_ = false;
    shown_.replace(refit.at, refit.removed, text);
}

LRESULT CALLBACK MemoFrame::editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return frameOf(hwnd)->handleEdit(message, wParam, lParam);
}

// An input method's composition in the box: the box shows it in the text and reports each change
// of it (and the selection it took away) with EN_CHANGE; from its start to its end those are one
// change, which the core makes of them.
LRESULT MemoFrame::handleEdit(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_IME_STARTCOMPOSITION:
            window_.userCompose();
            break;
        case WM_IME_COMPOSITION:
            if (lParam & GCS_RESULTSTR) resultCame_ = true;
            break;
        case WM_IME_ENDCOMPOSITION:
            PostMessageW(edit_, kCloseComposition, 0, 0);
            break;
        case kCloseComposition:
            window_.userCloseComposition(std::exchange(resultCame_, false));
            return 0;
        default:
            break;
    }
    return CallWindowProcW(oldEditProc_, edit_, message, wParam, lParam);
}

LRESULT CALLBACK MemoFrame::listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return frameOf(hwnd)->handleList(message, wParam, lParam);
}

int MemoFrame::rowsPerPage() const {
    RECT client{};
    GetClientRect(list_, &client);
    const int row = int(SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
    return row > 0 ? std::max(1, int(client.bottom - client.top) / row) : 1;
}

// The list box would select on its own at a press, again for every row the pointer crosses,
// and for typed letters. Here it selects nothing by itself: a press and its release are one
// pick, and the keys and letters that move the selection are passed to the core.
LRESULT MemoFrame::handleList(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            SetFocus(list_);
            SetCapture(list_);
            const LRESULT hit = SendMessageW(list_, LB_ITEMFROMPOINT, 0, lParam);
            pressedRow_ = HIWORD(hit) == 0 ? int(LOWORD(hit)) : -1;
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            // The second press of a double-click is not another pick.
            SetCapture(list_);
            pressedRow_ = -1;
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == list_) return 0;
            break;
        case WM_LBUTTONUP: {
            if (GetCapture() == list_) ReleaseCapture();
            const int row = std::exchange(pressedRow_, -1);
            if (row >= 0) window_.userSelect(row);
            return 0;
        }
        case WM_CHAR:
            // A letter moves to the next title that starts with it, as one pick.
            if (wParam > L' ' && wParam != 0x7F) window_.userListLetter(char16_t(wParam));
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
                    return CallWindowProcW(oldListProc_, list_, message, wParam, lParam);
            }
            window_.userListKey(key, rowsPerPage(), int(SendMessageW(list_, LB_GETTOPINDEX, 0, 0)));
            return 0;
        }
        default:
            break;
    }
    return CallWindowProcW(oldListProc_, list_, message, wParam, lParam);
}

void MemoFrame::aboutToReset() {
    if (filled_) SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
}

void MemoFrame::reset() {
    if (!filled_) return;
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    const int count = window_.list().ListCount();
    if (count > 64) SendMessageW(list_, LB_INITSTORAGE, WPARAM(count), LPARAM(count) * 64);
    for (int row = 0; row < count; ++row)
        insertRow(row);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void MemoFrame::insertRow(int row) {
    const std::u16string title = toDisplay(window_.list().List(row), kEditLineBreak);
    SendMessageW(list_, LB_INSERTSTRING, WPARAM(row), reinterpret_cast<LPARAM>(wide(title)));
}

void MemoFrame::inserted(int row) {
    if (filled_) insertRow(row);
}

void MemoFrame::removed(int row) {
    if (filled_) SendMessageW(list_, LB_DELETESTRING, WPARAM(row), 0);
}

void MemoFrame::changed(int row) {
    if (!filled_) return;
    const LRESULT top = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_DELETESTRING, WPARAM(row), 0);
    insertRow(row);
    SendMessageW(list_, LB_SETTOPINDEX, WPARAM(top), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    RECT r{};
    if (SendMessageW(list_, LB_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(list_, &r, TRUE);
}

void MemoFrame::selectionChanged() {
    if (!filled_) return;
    const int row = window_.list().ListIndex();
    if (int(SendMessageW(list_, LB_GETCURSEL, 0, 0)) != row) {
        SendMessageW(list_, LB_SETCURSEL, WPARAM(row), 0);
    }
}

void MemoFrame::valueChanged() {
    const WPARAM want = window_.check().Value() != 0 ? BST_CHECKED : BST_UNCHECKED;
    if (WPARAM(SendMessageW(check_, BM_GETCHECK, 0, 0)) != want) {
        SendMessageW(check_, BM_SETCHECK, want, 0);
    }
}

void MemoFrame::checkedChanged() {
    const Command items[] = {Command::KeepInFront, Command::Release};
    for (int i = 0; i < 2; ++i) {
        CheckMenuItem(
            inFrontMenu_, UINT(menuId(items[i])),
            MF_BYCOMMAND | (window_.inFrontItem(i).Checked() ? MF_CHECKED : MF_UNCHECKED));
    }
}

void MemoFrame::textAssigned() {
    shown_ = toDisplay(window_.text().Text(), kEditLineBreak);
    assigning_ = true;
    SetWindowTextW(edit_, wide(shown_));
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

void MemoFrame::showMessage(const std::u16string& text) {
    const HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    showMessageBox(owner, toDisplay(text, kEditLineBreak));
}

void MemoFrame::keepInFront(bool inFront) {
    const bool first = !IsWindowVisible(hwnd_);
    ::SetWindowPos(hwnd_, inFront ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    if (first) PostMessageW(hwnd_, kFillList, 0, 0);
}

void MemoFrame::afterShown(std::function<void()> task) {
    afterShown_.push_back(std::move(task));
    PostMessageW(hwnd_, kRunAfterShown, 0, 0);
}

void MemoFrame::showRuntimeError(const std::u16string& text) {
    showMessage(text);
    exitCode_ = 1;
    if (started_) PostQuitMessage(exitCode_);
}

}  // namespace tetomu
