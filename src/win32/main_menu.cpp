#include "win32/main_menu.h"

#include <string>
#include <vector>

#include "win32/wide_text.h"
#include "window/memo_window.h"

namespace tetomu {

std::optional<Command> commandOf(int id) {
    if (id < kIdFirstCommand || id >= kIdFirstCommand + kCommandCount) return std::nullopt;
    return Command(id - kIdFirstCommand);
}

MainMenu::MainMenu(MemoWindow& core) : core_(core) {
    bar_ = CreateMenu();
    std::vector<ACCEL> keys;
    for (const MenuRow& row : kMenu) {
        if (!row.command) {
            dropDown_ = CreatePopupMenu();
            AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown_), wide(row.caption));
            continue;
        }
        const WORD id = WORD(menuId(*row.command));
        std::wstring caption = wideString(row.caption);
        if (row.functionKey != 0) {
            caption += L"\tCtrl+F" + std::to_wstring(row.functionKey);
            keys.push_back({FVIRTKEY | FCONTROL, WORD(VK_F1 + row.functionKey - 1), id});
        }
        AppendMenuW(row.place == MenuPlace::DropDown ? dropDown_ : bar_, MF_STRING, id,
                    caption.c_str());
    }
    shortcuts_ = CreateAcceleratorTableW(keys.data(), int(keys.size()));
    core_.observeMenu(this);
}

MainMenu::~MainMenu() {
    core_.observeMenu(nullptr);
    if (shortcuts_) DestroyAcceleratorTable(shortcuts_);
}

bool MainMenu::translate(HWND window, MSG& msg) const {
    return shortcuts_ && TranslateAcceleratorW(window, shortcuts_, &msg);
}

void MainMenu::checkedChanged() {
    const Command items[] = {Command::KeepInFront, Command::Release};
    for (int i = 0; i < 2; ++i) {
        CheckMenuItem(dropDown_, UINT(menuId(items[i])),
                      MF_BYCOMMAND | (core_.inFrontItem(i).checked() ? MF_CHECKED : MF_UNCHECKED));
    }
}

}  // namespace tetomu
