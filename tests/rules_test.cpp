// The code page against the system's own converter, character by character. (The title rule is
// held to a plain reading of it by the title fuzzer.)
#include <gtest/gtest.h>
#include <iconv.h>

#include "store/cp932_codec.h"
#include "support/test_support.h"

namespace tetomu::test {
namespace {

// Every character of the 16-bit range is written as the C library's CP932 converter writes it
// (the pair it prefers, the customary one-way look-alikes); what it cannot write becomes '?' and
// is reported.
TEST(CodePage, EveryCharacterAsTheSystemConverterWritesIt) {
    const Cp932Codec codec;
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    ASSERT_NE(cd, iconv_t(-1));
    int oneWay = 0;
    for (unsigned c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        char in[2] = {char(c & 0xFF), char(c >> 8)}, out[8];
        char *inp = in, *outp = out;
        std::size_t inLeft = 2, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool held = iconv(cd, &inp, &inLeft, &outp, &outLeft) != std::size_t(-1);
        const std::u16string one(1, char16_t(c));
        std::u16string replaced;
        std::string ours;
        codec.encodeAppend(one, ours, &replaced);
        ASSERT_EQ(ours, held ? std::string(out, outp) : "?") << std::hex << c;
        ASSERT_EQ(replaced, held ? u"" : one) << std::hex << c;
        oneWay += held && codec.decode(ours) != one;
    }
    iconv_close(cd);
    // The look-alikes are read back as the code page's own characters; nothing else is.
    EXPECT_EQ(oneWay, 9);
}

// Bytes the code page does not read come back as they were (the codec fuzzer, from its seeds).
TEST(CodePage, AKeptLeadByteNeverJoinsWhatFollows) {
    const Cp932Codec codec;
    // After a kept lead byte, a pair that would join it is written as another pair of the same
    // character, and a character without one as '?'.
    const std::u16string afterKept = {Cp932Codec::escape(0xEE), u'\uFFE4', Cp932Codec::escape(0x81),
                                      u'A'};
    std::u16string replaced;
    std::string bytes;
    codec.encodeAppend(afterKept, bytes, &replaced);
    EXPECT_EQ(bytes, "\xEE\xEE\xFA\x81?");
    EXPECT_EQ(replaced, u"A");
    EXPECT_EQ(codec.encode(u"😀x"), "?x");
}

}  // namespace
}  // namespace tetomu::test
