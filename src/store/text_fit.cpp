#include "store/text_fit.h"

#include <algorithm>
#include <utility>

#include "store/text_codec.h"

namespace tetomu {

FittedEdit fitEdit(const TextCodec& codec, std::u16string_view before, const TextEdit& typed) {
    FittedEdit fit;
    const std::size_t at = std::min(typed.at, before.size());
    const std::size_t removedEnd = std::min(at + typed.removed, before.size());
    // A kept byte right before the edit may join what is typed after it.
    const std::size_t start = at > 0 && isKeptByte(before[at - 1]) ? at - 1 : at;
    // And a kept byte that the edit leaves last may join the unit after the edit.
    const bool lastIsKept = typed.inserted.empty() ? start < at : isKeptByte(typed.inserted.back());
    const std::size_t end = lastIsKept && removedEnd < before.size() ? removedEnd + 1 : removedEnd;

    std::u16string asTyped(before.substr(start, at - start));
    asTyped += typed.inserted;
    asTyped += before.substr(removedEnd, end - removedEnd);

    // A person cannot type a kept byte; one pasted from somewhere is a character like any other
    // that the file cannot hold.
    std::u16string region = asTyped;
    const std::size_t typedFrom = at - start;
    for (std::size_t i = typedFrom; i < typedFrom + typed.inserted.size(); ++i) {
        if (!isKeptByte(region[i])) continue;
        fit.replaced += region[i];
        region[i] = u'?';
    }
    std::string bytes;
    std::u16string replaced;
    codec.encodeAppend(region, bytes, &replaced);
    if (start < at && !replaced.empty()) {
        // A stray lead byte from the file joins what follows it. The stray byte is what cannot
        // be kept, not the person's character: when the rest comes out whole without it, it is
        // the one that becomes '?'.
        std::string alone;
        std::u16string aloneReplaced;
        codec.encodeAppend(std::u16string_view(region).substr(1), alone, &aloneReplaced);
        if (aloneReplaced.size() < replaced.size()) {
            replaced = region[0] + aloneReplaced;
            region[0] = u'?';
            bytes = "?" + alone;
        }
    }
    fit.replaced += replaced;
    std::u16string kept = codec.decode(bytes);

    fit.applied = TextEdit{start, end - start, kept};
    fit.splice =
        TextSplice{start, start + kept.size(), end - start,
                   codec.encodedLength(before.substr(start, end - start)), std::move(bytes)};
    if (kept != asTyped) {
        fit.refitted = true;
        fit.refit = TextEdit{start, asTyped.size(), std::move(kept)};
    }
    return fit;
}

}  // namespace tetomu
