#pragma once
// The menu bar of the window `memo`, once: each command a person can choose, its caption, where
// it sits and its shortcut. Both front ends build their menus by going over kMenu in order;
// MemoWindow::choose() runs the command. Drawing the menu and catching the keys are the front
// ends' part.
#include <optional>
#include <string_view>

#include "window/texts.h"

namespace tetomu {

enum class Command { New, Delete, KeepInFront, Release, Version };
inline constexpr int kCommandCount = 5;

enum class MenuPlace {
    Bar,
    // In the drop-down whose caption is the last row on the bar without a command. Its items
    // carry the keep-in-front marks.
    DropDown,
};

struct MenuRow {
    // None for the caption that opens the drop-down.
    std::optional<Command> command;
    std::u16string_view caption;
    MenuPlace place = MenuPlace::Bar;
    // Chosen with Ctrl and this function key; 0 for none.
    int functionKey = 0;
};

inline constexpr MenuRow kMenu[] = {
    {Command::New, texts::kMenuNew},
    {Command::Delete, texts::kMenuDelete},
    {std::nullopt, texts::kMenuInFront},
    {Command::KeepInFront, texts::kMenuKeepInFront, MenuPlace::DropDown, 7},
    {Command::Release, texts::kMenuRelease, MenuPlace::DropDown, 8},
    {Command::Version, texts::kMenuVersion},
};

// The row of a command.
constexpr const MenuRow& menuRow(Command command) {
    for (const MenuRow& row : kMenu) {
        if (row.command == command) return row;
    }
    return kMenu[0];
}

}  // namespace tetomu
