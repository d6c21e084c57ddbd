#include "qt/app.h"

#include <QApplication>

namespace tetomu {

App::App(const QString& programDirectory)
    : platform_(programDirectory), core_(files_, codec_, platform_), window_(core_) {
    platform_.setWindow(&window_);
}

int App::run() {
    const int status = QApplication::exec();
    return status != 0 ? status : platform_.failed() ? 1 : 0;
}

}  // namespace tetomu
