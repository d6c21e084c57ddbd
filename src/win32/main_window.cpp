#include "win32/main_window.h"

#include <oleacc.h>

#include <utility>

#include "store/file_system.h"
#include "win32/dpi.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "window/layout.h"
#include "window/texts.h"

namespace tetomu {
namespace {

constexpr wchar_t kFrameClass[] = L"TetomuMemo";
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The controls' identifiers.
enum : int {
    kIdMemoList = 201,
    kIdArrangeCheck = 202,
    kIdArrangeLabel = 203,
    kIdMemoText = 204,
};

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

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, MemoWindow& core, Win32Platform& platform)
    : instance_(instance), core_(core), platform_(platform) {
    create();
}

MainWindow::~MainWindow() {
    core_.observeCheck(nullptr);
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (icon_) DestroyIcon(icon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

void MainWindow::create() {
    registerFrameClass(instance_);
    dpi_ = dpiOf(nullptr);
    hwnd_ = CreateWindowExW(0, kFrameClass, wide(texts::kCaption), kFrameStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, nullptr, menu_.bar(), instance_, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::proc));
    platform_.setWindow(hwnd_);
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

    core_.observeCheck(this);
}

void MainWindow::createControls() {
    auto make = [&](DWORD exStyle, const wchar_t* cls, std::u16string_view text, DWORD style,
                    int id) {
        return CreateWindowExW(exStyle, cls, wide(text),
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
    };
    // Created in the tab sequence's order (moveTabFocus keeps it), the label just before the
    // check box it names: a screen reader that names a control by the label before it then
    // gives the text box no "整理".
    list_.create(hwnd_, instance_, kIdMemoList);
    label_ = make(0, L"STATIC", core_.arrangeLabel(), SS_LEFT, kIdArrangeLabel);
    check_ =
        make(0, L"BUTTON", texts::kCheckCaption, WS_TABSTOP | BS_AUTOCHECKBOX, kIdArrangeCheck);
    text_.create(hwnd_, instance_, kIdMemoText);
}

// The window and its controls at the twips of the layout, for the dpi of the window's monitor.
void MainWindow::placeControls() {
    const HFONT font = messageFont(dpi_);
    const std::pair<HWND, const layout::Rect*> controls[] = {
        {list(), &layout::kMemoList},
        {check_, &layout::kArrangeCheck},
        {label_, &layout::kArrangeLabel},
        {edit(), &layout::kMemoText},
    };
    for (const auto& [control, where] : controls) {
        const RECT r = place(*where, dpi_);
        ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // The old font goes only once no control uses it; without a new one they keep it.
    if (font) {
        if (font_) DeleteObject(font_);
        font_ = font;
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
void MainWindow::nameForScreenReaders() {
    IAccPropServices* services = nullptr;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        const std::pair<HWND, std::u16string_view> names[] = {
            {list(), texts::kListName},
            {edit(), texts::kTextName},
            {check_, core_.arrangeLabel()},
        };
        for (const auto& [control, name] : names) {
            const std::wstring text = wideString(name);
            services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                     text.c_str());
        }
        services->Release();
    }
}

bool MainWindow::preTranslate(MSG& msg) {
    if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
    if (menu_.translate(hwnd_, msg)) return true;
    if (msg.message != WM_KEYDOWN) return false;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (msg.wParam == VK_TAB && !control && (GetKeyState(VK_MENU) & 0x8000) == 0) {
        // Tab leaves the text box too: a memo holds no tab typed with the Tab key alone.
        moveTabFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return true;
    }
    if (msg.wParam == 'A' && control && msg.hwnd == edit()) {
        // Select all, as in every text box a person knows.
        SendMessageW(edit(), EM_SETSEL, 0, -1);
        return true;
    }
    return false;
}

void MainWindow::moveTabFocus(bool backwards) {
    const HWND order[] = {list(), check_, edit()};
    const HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < 3; ++i) {
        if (order[i] == focus) at = i;
    }
    const int next = at < 0 ? 0 : (at + (backwards ? 2 : 1)) % 3;
    SetFocus(order[next]);
}

LRESULT CALLBACK MainWindow::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hwnd_ == hwnd) {
        return self->handle(message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case kFillList:
            list_.fill();
            return 0;
        case kRunAfterShown:
            platform_.runAfterShown();
            return 0;
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
            SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : list());
            return 0;
        case WM_DESTROY:
            PostQuitMessage(platform_.exitCode());
            return 0;
        case WM_NCDESTROY: {
            const LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
            hwnd_ = nullptr;
            platform_.setWindow(nullptr);
            return result;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::command(int id, int code) {
    if (const auto chosen = commandOf(id)) return core_.choose(*chosen);
    switch (id) {
        case kIdArrangeCheck:
            if (code == BN_CLICKED) core_.userClickCheck();
            return;
        case kIdMemoText:
            if (code == EN_CHANGE) text_.changed();
            return;
        default:
            return;
    }
}

void MainWindow::valueChanged() {
    const WPARAM want = core_.arrangeCheck().value() != 0 ? BST_CHECKED : BST_UNCHECKED;
    if (WPARAM(SendMessageW(check_, BM_GETCHECK, 0, 0)) != want) {
        SendMessageW(check_, BM_SETCHECK, want, 0);
    }
}

}  // namespace tetomu
