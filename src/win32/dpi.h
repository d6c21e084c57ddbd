#pragma once
// The window's scale on Windows: the dpi of the monitor a window is on, the system's message
// font at a dpi, and the layout's twips as pixels. Where each control goes is MainWindow's.
#include <windows.h>

#include "window/layout.h"

namespace tetomu {

// The dpi of the window's monitor; of the screen when there is no window yet.
int dpiOf(HWND hwnd);
// The system's message font at this dpi, as every control of the system's dialogs has it.
HFONT messageFont(int dpi);
// A control's place in pixels. Edges are rounded, not sizes, so neighbours stay as far apart as
// the twips say at any dpi.
RECT place(const layout::Rect& r, int dpi);

}  // namespace tetomu
