#include <gtest/gtest.h>

#include "store/cp932_codec.h"

namespace tetomu {
namespace {

const Cp932Codec codec;

TEST(Cp932Codec, DecodesAndEncodesEveryKindOfCharacter) {
    struct Row {
        const char* name;
        std::u16string text;
        std::string bytes;
    };
    const Row rows[] = {
        {"ascii and CR LF", u"ab\r\nc", "ab\r\nc"},
        {"hiragana", u"あいう", "\x82\xA0\x82\xA2\x82\xA4"},
        {"kanji", u"整理", "\x90\xAE\x97\x9D"},
        {"half-width katakana", u"ｶﾀｶﾅ", "\xB6\xC0\xB6\xC5"},
        {"trail byte that is a backslash", u"ソ表", "\x83\x5C\x95\x5C"},
        {"NEC row 13", u"①Ⅰ", "\x87\x40\x87\x54"},
        {"IBM extension", u"ⅰ纊", "\xFA\x40\xFA\x5C"},
        {"user-defined area", u"\uE000", "\xF0\x40"},
        {"NUL", std::u16string(1, u'\0'), std::string(1, '\0')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(codec.decode(row.bytes), row.text);
        EXPECT_EQ(codec.encode(row.text), row.bytes);
    }
}

TEST(Cp932Codec, WritesTheSystemsPreferredPairForDuplicates) {
    // Characters that have several pairs: JIS X 0208 first, then NEC row 13, then IBM.
    EXPECT_EQ(codec.encode(codec.decode("\x87\x90")), "\x81\xE0");  // ≒
    EXPECT_EQ(codec.encode(codec.decode("\xFA\x54")), "\x81\xCA");  // ¬
    EXPECT_EQ(codec.encode(codec.decode("\xFA\x4A")), "\x87\x54");  // Ⅰ
    EXPECT_EQ(codec.encode(codec.decode("\xED\x40")), "\xFA\x5C");  // 纊
}

TEST(Cp932Codec, KeepsBytesThatDoNotDecode) {
    const std::string cases[] = {
        "\x80\xA0\xFD\xFE\xFF",      // never used in the code page
        "\x82",                      // a lead byte at the end
        "a\x82\x0D\x0A",             // a lead byte before CR LF
        "\x85\x40",                  // an unmapped pair
        "\xE3\x81\x82\xE6\x97\xA5",  // UTF-8 from another editor
        "\x81\x7F\x81\xFD",          // trail bytes out of range
    };
    for (const auto& bytes : cases) {
        const std::u16string text = codec.decode(bytes);
        EXPECT_EQ(codec.encode(text), bytes);
    }
    EXPECT_EQ(codec.decode("\x80"), std::u16string(1, Cp932Codec::escape(0x80)));
    // The line break after a kept lead byte is still a line break.
    EXPECT_EQ(codec.decode("\x82\r\n").substr(1), u"\r\n");
}

TEST(Cp932Codec, ReplacesWhatTheCodePageCannotHold) {
    EXPECT_EQ(codec.encode(u"é"), "?");
    EXPECT_EQ(codec.encode(u"😀x"), "?x");
    // The second half of U+10080 looks like a kept byte, and must not be taken for one.
    EXPECT_EQ(codec.encode(u"\U00010080"), "?");
    EXPECT_EQ(codec.encode(std::u16string(1, char16_t(0xD800))), "?");
}

TEST(Cp932Codec, EveryTwoByteSequenceSurvivesARoundTrip) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string bytes{char(a), char(b)};
            const std::u16string text = codec.decode(bytes);
            const std::string back = codec.encode(text);
            // Duplicate pairs come back as the preferred pair of the same character.
            if (back != bytes) {
                ASSERT_EQ(codec.decode(back), text) << a << " " << b;
            }
        }
    }
}

TEST(Cp932Codec, AKeptLeadByteNeverJoinsTheRewrittenPairAfterIt) {
    // EE FA is the second-choice pair of U+FFE4; written as its preferred FA 55 after a kept EE,
    // the EE would join the FA into a pair and the memo would read back changed. Found by
    // fuzz/codec_fuzz.cpp.
    const std::string bytes = "\xE9\x40\xEE\xEE\xEE\xFA\x5C";
    const std::u16string text = codec.decode(bytes);
    EXPECT_EQ(text, u"\u9871\xDCEE\xDCEE\uFFE4\\");
    EXPECT_EQ(codec.decode(codec.encode(text)), text);
    EXPECT_EQ(codec.encode(text), bytes);
    // Without a kept byte before it, the preferred pair is written as always.
    EXPECT_EQ(codec.encode(u"\uFFE4"), "\xFA\x55");
}

}  // namespace
}  // namespace tetomu
