// The title rule against a plain reading of it: cut to 60 characters, take out CR LF pairs
// searching on from where each pair was, and again until none is left; "temp" when nothing is.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/title.h"

namespace {

// One pass, counting positions from 1 as the rule is written.
std::u16string naiveWithoutLineBreaks(std::u16string w) {
    std::size_t p = 1;
    for (;;) {
        std::size_t found = 0;
        for (std::size_t i = p; i + 1 <= w.size(); ++i) {
            if (w[i - 1] == u'\r' && i < w.size() && w[i] == u'\n') {
                found = i;
                break;
            }
        }
        if (found == 0) return w;
        p = found;
        w = w.substr(0, p - 1) + w.substr(p + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Bytes as code units, mostly CR and LF so that the pairs interleave.
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        text.push_back(b % 4 == 0   ? u'\r'
                       : b % 4 == 1 ? u'\n'
                                    : char16_t(b < 0x80 ? b : 0x3000 + b));
    }
    if (tetomu::withoutLineBreaks(text) != naiveWithoutLineBreaks(text)) std::abort();

    const std::u16string title = tetomu::titleOf(text);
    if (title.empty() || title.size() > 60 || title.find(u"\r\n") != std::u16string::npos)
        std::abort();
    std::u16string expected = naiveWithoutLineBreaks(text.substr(0, 60));
    while (expected.find(u"\r\n") != std::u16string::npos)
        expected = naiveWithoutLineBreaks(expected);
    if (expected.empty()) expected = u"temp";
    if (title != expected) std::abort();
    return 0;
}
