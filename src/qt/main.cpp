// テトム: starts the window on the memo folder beside the program.
#include <QApplication>

#include "qt/app.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    tetomu::App app(QCoreApplication::applicationDirPath());
    switch (app.start()) {
        case tetomu::StartResult::AnotherCopyRunning:
            return 0;
        case tetomu::StartResult::Failed:
            return 1;
        case tetomu::StartResult::Shown:
            break;
    }
    const int status = QApplication::exec();
    return status != 0 ? status : app.exitStatus();
}
