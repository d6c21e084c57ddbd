#include "win32/dpi.h"

namespace tetomu {
namespace {

// Calls that only newer systems have, looked up so the program still starts without them.
template <class Function>
Function* user32(const char* name) {
    return reinterpret_cast<Function*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

RECT place(const layout::Rect& r, int dpi) {
    return RECT{layout::toPixels(r.left, dpi), layout::toPixels(r.top, dpi),
                layout::toPixels(r.left + r.width, dpi), layout::toPixels(r.top + r.height, dpi)};
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

}  // namespace tetomu
