#pragma once
// The program put together: the store on this system's files, the core window, the Qt window
// and the platform seam between them, and the event loop that runs them. main() makes one for
// the program's own folder; the tests make one for a temporary folder.
#include <QString>

#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "store/cp932_codec.h"
#include "store/file_system_posix.h"
#include "window/memo_window.h"

namespace tetomu {

class App {
  public:
    explicit App(const QString& programDirectory);

    // load: shows the window, or tells why not.
    StartResult start() { return core_.start(); }
    // Runs Qt's event loop until the window is closed or a run-time error ends the program;
    // returns the exit status.
    int run();

    MemoWindow& core() { return core_; }
    MainWindow& window() { return window_; }

  private:
    PosixFileSystem files_;
    Cp932Codec codec_;
    QtPlatform platform_;
    MemoWindow core_;
    MainWindow window_;
};

}  // namespace tetomu
