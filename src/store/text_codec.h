#pragma once
// Turns file bytes into the UTF-16 text the controls hold, and back. The store never looks at
// characters itself; the code page is one implementation of this interface.
//
// The promise every implementation keeps: decoding never fails (a byte that does not decode is
// kept as an escape code unit and encoded back to the same byte), and encode(decode(b)) == b.
// A character the code page cannot hold is written as '?' and reported, never dropped silently.
#include <string>
#include <string_view>

namespace tetomu {

// A byte that did not decode is kept as the lone surrogate U+DC00 + byte (only bytes from 0x80
// up can fail to decode). No character a person types is one of these.
inline constexpr bool isKeptByte(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

class TextCodec {
  public:
    virtual ~TextCodec() = default;

    // Appends the text of these bytes to out.
    virtual void decodeAppend(std::string_view bytes, std::u16string& out) const = 0;
    // Appends the bytes of this text to out. Each character that had to be written as '?' is
    // appended to replaced, when given (a pair of surrogates as its two units).
    virtual void encodeAppend(std::u16string_view text, std::string& out,
                              std::u16string* replaced = nullptr) const = 0;

    // How many bytes this text takes, for a text as decoding gives it (every character one the
    // code page holds). The code page answers without encoding; others may encode to count.
    virtual std::size_t encodedLength(std::u16string_view decoded) const {
        std::string bytes;
        encodeAppend(decoded, bytes);
        return bytes.size();
    }

    std::u16string decode(std::string_view bytes) const {
        std::u16string text;
        decodeAppend(bytes, text);
        return text;
    }
    std::string encode(std::u16string_view text) const {
        std::string bytes;
        encodeAppend(text, bytes);
        return bytes;
    }
};

}  // namespace tetomu
