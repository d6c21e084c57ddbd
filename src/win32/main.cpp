// The Windows program: the window on the memo folder beside the program file.
#include <windows.h>

#include "win32/ansi_codec.h"
#include "win32/memo_frame.h"
#include "win32/win32_file_system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    tetomu::Win32FileSystem files;
    tetomu::AnsiCodec codec;
    tetomu::MemoFrame frame(instance, files, codec);
    frame.create();
    switch (frame.start()) {
        case tetomu::StartResult::AnotherCopyRunning:
            return 0;
        case tetomu::StartResult::Failed:
            return 1;
        case tetomu::StartResult::Shown:
            break;
    }
    return frame.run();
}
