#include "win32/app.h"

#include <utility>

namespace tetomu {

App::App(HINSTANCE instance, FrameOptions options, const Win32Calls& calls)
    : files_(calls),
      platform_(std::move(options)),
      core_(files_, codec_, platform_),
      window_(instance, core_, platform_) {
    files_.whileWaiting = &Win32Platform::paintWhileWaiting;
}

StartResult App::start() {
    const StartResult result = core_.start();
    if (result == StartResult::Shown) {
        platform_.setStarted();
        SetFocus(window_.list());
    }
    return result;
}

int App::run() {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return int(msg.wParam);
        if (got < 0) return platform_.exitCode() != 0 ? platform_.exitCode() : 1;
        if (window_.preTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace tetomu
