#include "window/display_text.h"

#include <algorithm>

namespace tetomu {

std::u16string textForDisplay(std::u16string_view text) {
    std::u16string out(text);
    std::replace(out.begin(), out.end(), u'\0', kNulSymbol);
    return out;
}

std::u16string textFromDisplay(std::u16string_view text) {
    std::u16string out(text);
    std::replace(out.begin(), out.end(), kNulSymbol, u'\0');
    return out;
}

}  // namespace tetomu
