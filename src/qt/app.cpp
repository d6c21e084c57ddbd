#include "qt/app.h"

namespace tetomu {

App::App(const QString& programDirectory)
    : platform_(programDirectory), core_(files_, codec_, platform_), window_(core_) {
    platform_.setWindow(&window_);
}

}  // namespace tetomu
