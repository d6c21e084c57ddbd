// The Windows program: the window on the memo folder beside the program file.
#include <windows.h>

#include "store/ansi_codec_win.h"
#include "store/file_system_win.h"
#include "win32/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    tetomu::Win32FileSystem files;
    tetomu::AnsiCodec codec;
    tetomu::MainWindow window(instance, files, codec);
    window.create();
    if (const auto status = tetomu::exitStatusOnStart(window.start())) return *status;
    return window.run();
}
