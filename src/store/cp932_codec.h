#pragma once
// Code page 932 (Shift_JIS as Windows has it), the memo folder's encoding.
//
// Bytes that do not decode are kept, not replaced: each becomes the lone surrogate
// U+DC00 + byte, and encoding turns that code unit back into the same byte. A file that another
// program wrote in some other encoding therefore survives being opened and saved unedited.
// A character the code page cannot hold is written as '?', as the system's own conversion does.
#include "store/text_codec.h"

namespace tetomu {

class Cp932Codec final : public TextCodec {
  public:
    std::u16string decode(std::string_view bytes) const override;
    std::string encode(std::u16string_view text) const override;
    // Never shrinks the buffer, so a memo written again and again is encoded in place.
    std::string_view encodeInto(std::u16string_view text, std::string& buffer) const override;
    void decodeAppend(std::string_view bytes, std::u16string& out) const override;
    // A line of plain characters reads back as itself; one with a kept byte, a character the
    // code page cannot hold or a CR LF in it is left to the caller to decode and compare.
    bool encodeLine(std::u16string_view text, std::string& out) const override;

    // The code unit that stands for an undecodable byte, and the test for one.
    static constexpr char16_t escape(unsigned char byte) { return char16_t(0xDC00 + byte); }
    static constexpr bool isEscape(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }
};

}  // namespace tetomu
