#pragma once
// The menu bar of the window on Win32, built from the core's table (window/menu.h): its items,
// their shortcuts as an accelerator table, and the two "手前" marks drawn from the core. Which
// command an item runs is its identifier, menuId(); running it is MainWindow's.
#include <windows.h>

#include <optional>

#include "window/controls.h"
#include "window/menu.h"

namespace tetomu {

class MemoWindow;

// The identifier of a menu command, for the menu bar and the shortcuts.
inline constexpr int kIdFirstCommand = 101;
constexpr int menuId(Command command) {
    return kIdFirstCommand + int(command);
}
// The command of an identifier; none for one that is not a menu command's.
std::optional<Command> commandOf(int id);

class MainMenu final : private MenuItem::Observer {
  public:
    // Builds the bar and the shortcuts, and follows the core's marks.
    explicit MainMenu(MemoWindow& core);
    MainMenu(const MainMenu&) = delete;
    MainMenu& operator=(const MainMenu&) = delete;
    ~MainMenu() override;

    // The bar, for the window to own; it is destroyed with the window.
    HMENU bar() const { return bar_; }
    // A shortcut in a message for the window: true when it has been sent as a menu command.
    bool translate(HWND window, MSG& msg) const;

  private:
    void checkedChanged() override;

    MemoWindow& core_;
    HMENU bar_ = nullptr;
    HMENU dropDown_ = nullptr;
    HACCEL shortcuts_ = nullptr;
};

}  // namespace tetomu
