#pragma once
// The bytes of the one memo the window has open, exactly as its file holds them. An edit brings
// the bytes of the span it changed, encoded once when the edit was fitted (store/text_fit.h),
// and they are spliced in, so every byte around them stays as the file had it (a second-choice
// pair, a byte of another encoding), and a long memo is not encoded whole at every keystroke.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tetomu {

class TextCodec;

// What one edit changed in a memo's text: the units [start, end) of the text after it replace
// oldLength units that took oldBytes bytes, and `bytes` are what those units are written as
// (they decode to exactly those units). The span is wide enough that the bytes on either side
// of it decode as before.
struct TextSplice {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t oldLength = 0;
    std::size_t oldBytes = 0;
    std::string bytes;
};

class MemoImage {
  public:
    // markSpacing: units between the marks below (small ones for the fuzzer).
    explicit MemoImage(std::size_t markSpacing = 1 << 16) : spacing_(markSpacing) {}

    int number() const { return number_; }
    const std::string& bytes() const { return bytes_; }

    void forget() { load(-1, {}); }
    void load(int number, std::string bytes);
    // Brings the bytes up to the text after an edit. Returns false when they came out the same.
    bool splice(const TextCodec& codec, std::u16string_view text, const TextSplice& edit);

  private:
    // The byte where a unit of the text starts.
    std::size_t byteOf(const TextCodec& codec, std::u16string_view text, std::size_t unit);

    int number_ = -1;
    std::string bytes_;
    // Units of the text and the bytes where they start, one every so many units, kept in step
    // with every splice: the byte of any unit is counted from the nearest one before it, not
    // from the start of a long memo.
    std::vector<std::pair<std::size_t, std::size_t>> marks_{{0, 0}};
    std::size_t spacing_;
};

}  // namespace tetomu
