// The Windows program: the window on the memo folder beside the program file.
#include <windows.h>

#include "win32/app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    tetomu::App app(instance);
    if (const auto status = tetomu::exitStatusOnStart(app.start())) return *status;
    return app.run();
}
