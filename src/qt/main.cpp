// テトム: starts the window on the memo folder beside the program.
#include <QApplication>

#include "qt/app.h"

namespace {

// A Wayland client has no way to stay above other windows, and keep-in-front is what the window
// starts with. On a Wayland session that has XWayland (DISPLAY is set), the program runs as an
// X11 client, as the menu promises; a platform the person chose still wins.
void preferX11OnWayland() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    const bool wayland =
        qgetenv("XDG_SESSION_TYPE") == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland && !qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "xcb");
}

}  // namespace

int main(int argc, char* argv[]) {
    preferX11OnWayland();
    QApplication application(argc, argv);
    tetomu::App app(QCoreApplication::applicationDirPath());
    if (const auto status = tetomu::exitStatusOnStart(app.start())) return *status;
    return app.run();
}
