#pragma once
// The bytes of the one memo the window has open, exactly as its file holds them. An edit
// re-encodes only the span it changed and splices it in, so every byte around it stays as the
// file had it (a second-choice pair, a byte of another encoding), and a long memo is not encoded
// whole at every keystroke.
#include <cstddef>
#include <string>
#include <string_view>

namespace tetomu {

class TextCodec;

// What one edit changed in a memo's text: the units [start, end) of the text after it replace
// units that took oldBytes bytes. The span is wide enough that the bytes on either side of it
// decode as before.
struct TextSplice {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t oldBytes = 0;
};

class MemoImage {
  public:
    int number() const { return number_; }
    const std::string& bytes() const { return bytes_; }

    void forget() { load(-1, {}); }
    void load(int number, std::string bytes);
    // Brings the bytes up to the text after an edit. Returns false when they came out the same.
    bool splice(const TextCodec& codec, std::u16string_view text, const TextSplice& edit);

  private:
    int number_ = -1;
    std::string bytes_;
    // A unit of the text and the byte where it starts, kept from the last splice: typing goes on
    // where it was, so the next byte position is counted from here, not from the start.
    std::size_t knownUnit_ = 0;
    std::size_t knownByte_ = 0;
    std::string scratch_;
};

}  // namespace tetomu
