#pragma once
// Turns file bytes into the UTF-16 text the controls hold, and back. The store never looks at
// characters itself; the code page is one implementation of this interface.
#include <string>
#include <string_view>

namespace tetomu {

class TextCodec {
  public:
    virtual ~TextCodec() = default;
    virtual std::u16string decode(std::string_view bytes) const = 0;
    virtual std::string encode(std::u16string_view text) const = 0;

    // encode() into a buffer the caller keeps: it may grow the buffer, and returns the bytes,
    // which stay valid until the buffer is used again.
    virtual std::string_view encodeInto(std::u16string_view text, std::string& buffer) const {
        buffer = encode(text);
        return buffer;
    }
    // decode(), appending to out.
    virtual void decodeAppend(std::string_view bytes, std::u16string& out) const {
        out += decode(bytes);
    }
    // Appends encode(text) and a CR LF to out. Returns true only when decoding those bytes is
    // certain to give text and the CR LF back, the one line ending: the line reads back as
    // itself. False means "decode and see"; it is always a correct answer, only a slower one.
    virtual bool encodeLine(std::u16string_view text, std::string& out) const {
        out += encode(text);
        out += "\r\n";
        return false;
    }
};

}  // namespace tetomu
