// The rules that are tables in themselves: a memo's title, and the code page against the
// system's own converter, character by character.
#include <gtest/gtest.h>
#include <iconv.h>

#include "store/cp932_codec.h"
#include "store/title.h"
#include "support/test_support.h"

namespace tetomu::test {
namespace {

TEST(TitleRule, GivesTheTitle) {
    const struct {
        const char* name;
        std::u16string text, title;
    } rows[] = {
        {"two lines run together", u"abc\r\ndef\r\n", u"abcdef"},
        {"a hundred characters give sixty", repeat(u"x", 100), repeat(u"x", 60)},
        {"sixty counted with the break", repeat(u"a", 30) + u"\r\n" + repeat(u"b", 50),
         repeat(u"a", 30) + repeat(u"b", 28)},
        {"a break cut at sixty leaves a lone CR", repeat(u"a", 59) + u"\r\nz",
         repeat(u"a", 59) + u"\r"},
        {"only line breaks give temp", u"\r\n\r\n", u"temp"},
        {"nothing gives temp", u"", u"temp"},
        {"temp itself", u"temp", u"temp"},
        // One pass of the rule leaves CR LF here; a title never holds one.
        {"CR CR LF LF leaves no pair", u"\r\r\n\n", u"temp"},
        {"a lone CR and LF stay", u"a\rb\nc", u"a\rb\nc"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(titleOf(row.text), row.title) << row.name;
}

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

TEST(CodePage, KeptBytesComeBackAndNeverJoinWhatFollows) {
    const Cp932Codec codec;
    for (const std::string bytes :
         {"\x80\xA0\xFD\xFE\xFF", "\x82", "a\x82\r\n", "\x85\x40", "\xE3\x81\x82",
          "\x81\x7F\x81\xFD", "\xE9\x40\xEE\xEE\xFA\x5C"}) {
        const std::u16string text = codec.decode(bytes);
        EXPECT_EQ(codec.encode(text), bytes);
        EXPECT_EQ(codec.encodedLength(text), bytes.size());
    }
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
