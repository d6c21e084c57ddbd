#pragma once
// Code page 932 (Shift_JIS as Windows has it), the memo folder's encoding.
//
// Bytes that do not decode are kept, not replaced: each becomes the lone surrogate
// U+DC00 + byte, and encoding turns that code unit back into the same byte. A file that another
// program wrote in some other encoding therefore survives being opened and saved unedited.
//
// Encoding writes the customary one-way look-alikes (WAVE DASH as the full-width tilde, the yen
// sign as 5C, ...) as the system's converters do, and '?' for what the code page cannot hold,
// reporting each such character. A character right after a kept lead byte is never written as a
// byte that would join it into a pair: it gets another pair of its own, or '?'.
#include "store/text_codec.h"

namespace tetomu {

class Cp932Codec final : public TextCodec {
  public:
    void decodeAppend(std::string_view bytes, std::u16string& out) const override;
    void encodeAppend(std::u16string_view text, std::string& out,
                      std::u16string* replaced = nullptr) const override;
    std::size_t encodedLength(std::u16string_view decoded) const override;

    // The code unit that stands for an undecodable byte (see isKeptByte).
    static constexpr char16_t escape(unsigned char byte) { return char16_t(0xDC00 + byte); }
};

}  // namespace tetomu
