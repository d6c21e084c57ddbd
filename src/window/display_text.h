#pragma once
// Text as a widget shows it, and back. A memo holds its characters exactly, but widgets stop at
// a NUL and take a lone CR or LF for a line break (or show nothing for it), so a keystroke would
// change bytes the person never touched. Shown instead are symbols for them, which the code page
// cannot hold, so no character a person could save is taken for one: ␀ for a NUL, and for a lone
// CR and LF the dashed arrows ⇠ (the carriage goes back) and ⇣ (the paper moves up a line). The
// control pictures ␍ ␊ would say it better, but the fonts a Linux desktop has draw them as empty
// boxes, alike for both; the arrows are in every common sans-serif font. A line break, CR LF, is
// shown as the widget's own (lineBreak: "\n" for a document, "\r\n" for an edit box).
//
// Each unit of the memo is one unit shown, but for the line break, so positions map one to one
// between line breaks.
#include <string>
#include <string_view>

namespace tetomu {

inline constexpr char16_t kNulSymbol = u'\u2400';
inline constexpr char16_t kCrSymbol = u'\u21E0';
inline constexpr char16_t kLfSymbol = u'\u21E3';

std::u16string toDisplay(std::u16string_view text, std::u16string_view lineBreak);
// What a person typed or pasted: every kind of line break (CR LF, CR, LF, the Unicode line and
// paragraph separators) becomes CR LF. Symbols the person entered stay what they are, characters
// the code page cannot hold: only those the program put in the box stand for the bytes, and an
// edit never brings those, as the box keeps the memo's own units around it.
std::u16string fromDisplay(std::u16string_view shown);

}  // namespace tetomu
