#pragma once
// The menu bar of the window on Qt, built from the core's table (window/menu.h): its items,
// their shortcuts, and the two "手前" marks drawn from the core. Each item chosen is one
// choose() call on the core. Where the bar sits and the window's size are MainWindow's.
#include "window/controls.h"
#include "window/menu.h"

class QAction;
class QMainWindow;

namespace tetomu {

class MemoWindow;

class MainMenu final : private MenuItem::Observer {
  public:
    // Builds the bar of this window, and follows the core's marks.
    MainMenu(MemoWindow& core, QMainWindow& window);
    MainMenu(const MainMenu&) = delete;
    MainMenu& operator=(const MainMenu&) = delete;
    ~MainMenu() override;

    QAction* action(Command command) const { return actions_[int(command)]; }

  private:
    void checkedChanged() override;

    MemoWindow& core_;
    QAction* actions_[kCommandCount] = {};
};

}  // namespace tetomu
