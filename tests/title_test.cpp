#include <gtest/gtest.h>

#include "store/title.h"

namespace tetomu {
namespace {

std::u16string repeat(char16_t c, std::size_t n) {
    return std::u16string(n, c);
}

TEST(Title, DltCRLFCutsPairsAndResumesWhereThePairWas) {
    EXPECT_EQ(DltCRLF(u"abc\r\ndef\r\n"), u"abcdef");
    EXPECT_EQ(DltCRLF(u"\r\r\n\n"), u"\r\n");  // the pair it forms starts before the search
    EXPECT_EQ(DltCRLF(u"a\rb\nc"), u"a\rb\nc");
    EXPECT_EQ(DltCRLF(u""), u"");
}

struct TitleRow {
    const char* name;
    std::u16string text;
    std::u16string title;
};

class TitleOfTest : public ::testing::TestWithParam<TitleRow> {};

TEST_P(TitleOfTest, GivesTheTitle) {
    EXPECT_EQ(TitleOf(GetParam().text), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TitleOfTest,
    ::testing::Values(TitleRow{"three", u"abc", u"abc"},
                      TitleRow{"two lines", u"abc\r\ndef\r\n", u"abcdef"},
                      TitleRow{"hundred", repeat(u'x', 100), repeat(u'x', 60)},
                      TitleRow{"thirty then fifty", repeat(u'a', 30) + u"\r\n" + repeat(u'b', 50),
                               repeat(u'a', 30) + repeat(u'b', 28)},
                      TitleRow{"cut between CR and LF", repeat(u'a', 59) + u"\r\nzzz",
                               repeat(u'a', 59) + u"\r"},
                      TitleRow{"only line breaks", u"\r\n\r\n", u"temp"},
                      TitleRow{"empty", u"", u"temp"}, TitleRow{"the word temp", u"temp", u"temp"},
                      TitleRow{"pair formed by the cut", u"\r\r\n\n", u"temp"},
                      TitleRow{"nested pairs", u"a\r\r\r\n\n\nb", u"ab"},
                      TitleRow{"lone LF kept", u"a\nb", u"a\nb"},
                      TitleRow{"japanese", u"買い物\r\n牛乳", u"買い物牛乳"}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(Title, NeverHoldsALineBreakPair) {
    // Every text of up to six characters from CR, LF and 'a'.
    const char16_t alphabet[] = {u'\r', u'\n', u'a'};
    for (int len = 0; len <= 6; ++len) {
        int total = 1;
        for (int i = 0; i < len; ++i)
            total *= 3;
        for (int code = 0; code < total; ++code) {
            std::u16string text;
            for (int i = 0, c = code; i < len; ++i, c /= 3)
                text += alphabet[c % 3];
            const std::u16string title = TitleOf(text);
            EXPECT_EQ(title.find(u"\r\n"), std::u16string::npos);
            EXPECT_FALSE(title.empty());
        }
    }
}

}  // namespace
}  // namespace tetomu
