// Code page 932 conversion. Whatever bytes a file holds, reading and writing it back without an
// edit gives the same bytes, except where a character has two byte pairs (the system writes the
// preferred one); and the text read back is always the text that was saved. Typed text of
// characters that come back as themselves reads back as typed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/cp932_codec.h"

namespace {

const tetomu::Cp932Codec codec;

bool isHalfWidthKatakana(unsigned char b) {
    return b >= 0xA1 && b <= 0xDF;
}

// True when some pair in the bytes decodes to a character whose preferred pair is another one.
bool hasSecondChoicePair(std::string_view bytes, std::u16string_view text) {
    std::size_t at = 0;
    for (char16_t c : text) {
        const auto b = static_cast<unsigned char>(bytes[at]);
        if (tetomu::isKeptByte(c) || b < 0x80 || isHalfWidthKatakana(b)) {
            ++at;
            continue;
        }
        if (codec.encode(std::u16string_view(&c, 1)) != bytes.substr(at, 2)) return true;
        at += 2;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = codec.decode(bytes);
    const std::string saved = codec.encode(text);
    if (codec.decode(saved) != text) std::abort();
    if (saved != bytes && !hasSecondChoicePair(bytes, text)) std::abort();
    if (codec.encodedLength(text) != bytes.size()) std::abort();

    std::u16string typed(size / 2, u'\0');
    for (std::size_t i = 0; i < typed.size(); ++i)
        typed[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    std::u16string replaced;
    const std::string written = [&] {
        std::string out;
        codec.encodeAppend(typed, out, &replaced);
        return out;
    }();
    if (written.size() > 2 * typed.size()) std::abort();
    bool holdable = true;
    for (char16_t c : typed) {
        const std::u16string one(1, c);
        holdable = holdable && !tetomu::isKeptByte(c) && codec.decode(codec.encode(one)) == one;
    }
    if (holdable && (codec.decode(written) != typed || !replaced.empty())) std::abort();
    // Whatever was typed, reading it back and writing it again changes nothing more.
    if (codec.encode(codec.decode(written)) != written) std::abort();
    return 0;
}
