// A person's edits of a memo that came from any bytes at all: after each one, fitted and spliced
// into the memo's kept bytes, the bytes read back as exactly the text the box shows, and the bytes
// before the edited span are the file's own.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/cp932_codec.h"
#include "store/memo_image.h"
#include "store/text_fit.h"

namespace {

const tetomu::Cp932Codec codec;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t fileSize = std::min<std::size_t>(data[0], size - 1);
    const std::string file(reinterpret_cast<const char*>(data + 1), fileSize);
    std::u16string text = codec.decode(file);
    tetomu::MemoImage image(3);  // marks every few units, so that every edit moves some
    image.load(0, file);
    // Each edit: where, how much goes, and up to three units typed from a small alphabet that
    // holds line breaks, kept bytes, pairs, look-alikes and what the code page lacks.
    static constexpr char16_t kTyped[] = {u'a',   u'\r', u'\n', u'\x81', 0xDC81, 0xDC40,
                                          u'あ',  u'〜', u'é',  0xD83D,  0xDE00, u'ｱ',
                                          0x7E8A, u'\\', u'\0', u'@'};
    for (std::size_t i = 1 + fileSize; i + 3 <= size; i += 3) {
        const std::size_t at = text.empty() ? 0 : data[i] % (text.size() + 1);
        const std::size_t removed = std::min<std::size_t>(data[i + 1] % 4, text.size() - at);
        std::u16string inserted;
        for (int k = 0; k < data[i + 2] % 4; ++k)
            inserted += kTyped[(data[i + 2] >> (2 + k)) % 16];
        const std::string before = image.bytes();
        const tetomu::FittedEdit fit = tetomu::fitEdit(codec, text, {at, removed, inserted});
        text.replace(fit.applied.at, fit.applied.removed, fit.applied.inserted);
        image.splice(codec, text, fit.splice);
        if (codec.decode(image.bytes()) != text) std::abort();
        const std::size_t kept =
            codec.encodedLength(std::u16string_view(text).substr(0, fit.splice.start));
        if (image.bytes().compare(0, kept, before, 0, kept) != 0) std::abort();
    }
    return 0;
}
