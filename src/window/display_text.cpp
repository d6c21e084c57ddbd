#include "window/display_text.h"

namespace tetomu {

std::u16string toDisplay(std::u16string_view text, std::u16string_view lineBreak) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += lineBreak;
            ++i;
        } else if (c == u'\r') {
            out += kCrSymbol;
        } else if (c == u'\n') {
            out += kLfSymbol;
        } else if (c == u'\0') {
            out += kNulSymbol;
        } else {
            out += c;
        }
    }
    return out;
}

std::u16string fromDisplay(std::u16string_view shown) {
    std::u16string out;
    out.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i];
        if (c == u'\r' || c == u'\n' || c == u'\u2028' || c == u'\u2029') {
            out += u"\r\n";
            if (c == u'\r' && i + 1 < shown.size() && shown[i + 1] == u'\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tetomu
