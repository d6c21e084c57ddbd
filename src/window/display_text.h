#pragma once
// Text as the native controls can show it. They stop at a NUL character, so a memo that holds
// one (a file written by another program) would show cut short, and the next edit would save
// only what was shown. A NUL is shown as U+2400 (the symbol for NUL) and turned back on the way
// in; the code page has no U+2400, so no character a person could save is taken for it.
#include <string>
#include <string_view>

namespace tetomu {

inline constexpr char16_t kNulSymbol = u'\u2400';

std::u16string textForDisplay(std::u16string_view text);
std::u16string textFromDisplay(std::u16string_view text);

}  // namespace tetomu
