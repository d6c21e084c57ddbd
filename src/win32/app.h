#pragma once
// The Windows program put together: the store on the Windows file calls and the system's code
// page, the platform seam, the core window and the Win32 window, and the message loop that runs
// them. wWinMain makes one for the program's own folder; the tests make one for a temporary
// folder, with the file calls as Microsoft documents them.
#include <windows.h>

#include "store/ansi_codec_win.h"
#include "store/file_system_win.h"
#include "win32/main_window.h"
#include "win32/win32_platform.h"
#include "window/memo_window.h"

namespace tetomu {

class App {
  public:
    // Creates the window and its controls, hidden, without reading anything.
    explicit App(HINSTANCE instance, FrameOptions options = {}, const Win32Calls& calls = {});
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // load: refuses a second copy, fills the list and shows the window in front. On a refused
    // file call the error box has been shown when this returns Failed.
    StartResult start();
    // Runs the message loop until the window is closed or a run-time error ends the program;
    // returns the exit status.
    int run();

    MemoWindow& core() { return core_; }
    MainWindow& window() { return window_; }
    const Win32Platform& platform() const { return platform_; }

  private:
    Win32FileSystem files_;
    AnsiCodec codec_;
    Win32Platform platform_;
    MemoWindow core_;
    MainWindow window_;
};

}  // namespace tetomu
