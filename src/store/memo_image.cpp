#include "store/memo_image.h"

#include <utility>

#include "store/text_codec.h"

namespace tetomu {

void MemoImage::load(int number, std::string bytes) {
    number_ = number;
    bytes_ = std::move(bytes);
    knownUnit_ = knownByte_ = 0;
}

bool MemoImage::splice(const TextCodec& codec, std::u16string_view text, const TextSplice& edit) {
    if (edit.start < knownUnit_) knownUnit_ = knownByte_ = 0;
    const std::size_t at =
        knownByte_ + codec.encodedLength(text.substr(knownUnit_, edit.start - knownUnit_));
    scratch_.clear();
    codec.encodeAppend(text.substr(edit.start, edit.end - edit.start), scratch_);
    knownUnit_ = edit.end;
    knownByte_ = at + scratch_.size();
    if (std::string_view(bytes_).substr(at, edit.oldBytes) == scratch_) return false;
    bytes_.replace(at, edit.oldBytes, scratch_);
    return true;
}

}  // namespace tetomu
