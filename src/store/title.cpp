#include "store/title.h"

namespace tetomu {

std::u16string withoutLineBreaks(std::u16string_view s) {
    std::u16string w(s);
    std::size_t p = 0;
    while ((p = w.find(u"\r\n", p)) != std::u16string::npos)
        w.erase(p, 2);
    return w;
}

std::u16string titleOf(std::u16string_view text) {
    std::u16string title = withoutLineBreaks(text.substr(0, kTitleLength));
    // One pass can join a CR and an LF into a new pair (CR, CR LF, LF); a title with a pair in
    // it would read back from the index as two lines. Each further pass removes at least one.
    while (title.find(u"\r\n") != std::u16string::npos)
        title = withoutLineBreaks(title);
    if (title.empty()) return std::u16string(kFallbackTitle);
    return title;
}

}  // namespace tetomu
