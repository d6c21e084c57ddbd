#include "store/memo_image.h"

#include <algorithm>
#include <cstdint>

#include "store/text_codec.h"

namespace tetomu {

void MemoImage::load(int number, std::string bytes) {
    number_ = number;
    bytes_ = std::move(bytes);
    marks_.assign(1, {0, 0});
}

std::size_t MemoImage::byteOf(const TextCodec& codec, std::u16string_view text, std::size_t unit) {
    auto mark = std::upper_bound(marks_.begin(), marks_.end(), std::pair(unit, SIZE_MAX)) - 1;
    auto [at, byte] = *mark;
    // Counted on from the mark, leaving new marks on the way through a long stretch.
    while (unit - at > spacing_) {
        byte += codec.encodedLength(text.substr(at, spacing_));
        at += spacing_;
        mark = marks_.insert(mark + 1, {at, byte});
    }
    return byte + codec.encodedLength(text.substr(at, unit - at));
}

bool MemoImage::splice(const TextCodec& codec, std::u16string_view text, const TextSplice& edit) {
    const std::size_t at = byteOf(codec, text, edit.start);
    // Marks past the span move with it; those inside it go.
    const auto units = std::ptrdiff_t(edit.end - edit.start) - std::ptrdiff_t(edit.oldLength);
    const auto bytes = std::ptrdiff_t(edit.bytes.size()) - std::ptrdiff_t(edit.oldBytes);
    std::erase_if(marks_, [&](const auto& m) {
        return m.first > edit.start && m.first < edit.start + edit.oldLength;
    });
    for (auto& [unit, byte] : marks_) {
        if (unit <= edit.start) continue;
        unit = std::size_t(std::ptrdiff_t(unit) + units);
        byte = std::size_t(std::ptrdiff_t(byte) + bytes);
    }
    if (std::string_view(bytes_).substr(at, edit.oldBytes) == edit.bytes) return false;
    bytes_.replace(at, edit.oldBytes, edit.bytes);
    return true;
}

}  // namespace tetomu
