#pragma once
// Where each control sits, in twips (1/1440 inch) from the top-left corner of the client area,
// which begins below the menu bar. At 96 dpi a pixel is 15 twips.
namespace tetomu::layout {

struct Rect {
    int left, top, width, height;
};

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidth = 5250;
inline constexpr int kClientHeight = 3930;

inline constexpr Rect kMemoList{0, 240, 1695, 3660};
inline constexpr Rect kArrangeCheck{3480, 0, 255, 255};
inline constexpr Rect kArrangeLabel{3000, 45, 375, 255};
inline constexpr Rect kMemoText{1800, 240, 3495, 3735};

// Twips to device pixels at the given dots per inch, rounded to the nearest pixel.
constexpr int toPixels(int twips, int dpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

// A message box is made at least this many times as wide as its title, "テトム": boxes as
// narrow as a short prompt leave a window manager no room to show the title.
inline constexpr int kMessageBoxTitleWidths = 6;

}  // namespace tetomu::layout
