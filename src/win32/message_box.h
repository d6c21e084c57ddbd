#pragma once
// The program's message box on Windows: the title "テトム", the prompt, an OK button alone and no
// icon. The system sizes the box to its prompt; a box as narrow as a short prompt leaves the
// caption no room for its title beside the buttons a window manager adds, so the box is widened
// to six widths of its title (as the Qt window's box is), its contents kept in the middle.
// Returns when the person has closed it.
#include <windows.h>

#include <string>

namespace tetomu {

void showMessageBox(HWND owner, const std::u16string& prompt);

}  // namespace tetomu
