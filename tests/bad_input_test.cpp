// Folders the program did not write itself, or cannot use: each gets a clear error or the
// described result, and no memo's bytes change unless the person edits that memo.
#include <cerrno>
#include <cstring>

#include "test_support.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using Names = std::vector<std::string>;

class BadInputTest : public WindowTest {
  protected:
    void refuse(std::string_view which, StoreFault fault, int code) {
        files.before = [=, which = std::string(which)](std::string_view op, const fs::path& p) {
            if (op == which) throw StoreError(fault, code, std::strerror(code), p);
        };
    }
};

TEST_F(BadInputTest, AnUnreadableIndexIsAnErrorNamingItAndNothingIsWritten) {
    writeBytes(memo(0), "a");
    writeBytes(indexPath(), "a\r\n");
    refuse("readOrCreate", StoreFault::AccessDenied, EACCES);
    MemoWindow window(files, codec, platform);
    EXPECT_EQ(window.start(), StartResult::Failed);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_NE(platform.errors[0].find(u"アクセスできません"), std::u16string::npos);
    EXPECT_NE(platform.errors[0].find(u"group.gl"), std::u16string::npos);
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "group.gl"}));
    EXPECT_EQ(indexBytes(), "a\r\n");
}

TEST_F(BadInputTest, AReadOnlyFolderRefusesEverySaveAndKeepsEveryMemo) {
    // We run as root, so the refusal comes through the seam as the system would give it.
    start({u"a", u"b"});
    refuse("write", StoreFault::AccessDenied, EROFS);
    w().userSelect(1);
    type(u"+");
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_NE(platform.errors[0].find(u"1.txt"), std::u16string::npos);
    EXPECT_EQ(memoBytes(0), "a");
    EXPECT_EQ(memoBytes(1), "b");
    EXPECT_EQ(indexBytes(), "a\r\nb\r\n");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "group.gl"}));
}

TEST_F(BadInputTest, BytesFromOtherEditorsSurviveOpeningAndEditing) {
    // UTF-8 from another editor, a NUL, a lone lead byte at the end, bytes no pair starts with.
    const std::string utf8 = "caf\xC3\xA9 \xE3\x81\x82\xE3\x81\x84";
    const std::string odd = std::string("a\0b", 3) + "\x80\xA0\xFD\xFE\xFF" + "\x81";
    writeBytes(memo(0), utf8);
    writeBytes(memo(1), odd);
    writeBytes(memo(2), "plain");
    const std::string index = utf8 + "\r\n" + odd + "\r\nplain\r\n";
    writeBytes(indexPath(), index);
    startAsIs();
    EXPECT_EQ(items().size(), 3u);

    // Opening rewrites the memo and the index from what was read: the same bytes.
    w().userSelect(2);
    type(u"!");
    EXPECT_EQ(indexBytes(), utf8 + "\r\n" + odd + "\r\nplain!\r\n");
    w().userSelect(0);
    EXPECT_EQ(memoBytes(0), utf8);
    // Editing keeps the bytes the person did not touch.
    type(u"x");
    EXPECT_EQ(memoBytes(0), utf8 + "x");
    w().userSelect(1);
    EXPECT_EQ(memoBytes(1), odd);
    type(u"y");
    EXPECT_EQ(memoBytes(1), odd + "y");
    EXPECT_EQ(memoBytes(2), "plain!");
}

TEST_F(BadInputTest, LoneCrAndLfStayInsideTheirLineAndMemo) {
    writeBytes(memo(0), "one\rline");
    writeBytes(memo(1), "two\nlines\r\n");
    writeBytes(indexPath(), "one\rline\r\ntwo\nlines\r\n");
    startAsIs();
    EXPECT_EQ(items(), (std::vector<std::u16string>{u"one\rline", u"two\nlines"}));
    w().userSelect(1);
    w().userSelect(0);
    EXPECT_EQ(indexBytes(), "one\rline\r\ntwo\nlines\r\n");
    EXPECT_EQ(memoBytes(0), "one\rline");
    EXPECT_EQ(memoBytes(1), "two\nlines\r\n");
    // An index without its last CR LF, or ending in a lone CR, reads the same line.
    window.reset();
    writeBytes(indexPath(), "one\rline\r\ntwo\nlines\r");
    startAsIs();
    EXPECT_EQ(items(), (std::vector<std::u16string>{u"one\rline", u"two\nlines\r"}));
}

TEST_F(BadInputTest, AnIndexBeyondSixteenBitsLoadsWholeAndCreatesNothing) {
    // More lines than positions hold: every memo can be opened, edited and deleted; a new one is
    // refused with the full-list message, and nothing is written for it.
    constexpr int kLines = 40000;
    std::string index;
    for (int i = 0; i < kLines; ++i)
        index += "t" + std::to_string(i) + "\r\n";
    writeBytes(indexPath(), index);
    for (int n : {0, 1, kMaxMemos, kLines - 1})
        writeBytes(memo(n), "t" + std::to_string(n));
    startAsIs();
    EXPECT_EQ(w().List1.ListCount(), kLines);
    EXPECT_EQ(indexBytes(), index);
    type(u"x");
    EXPECT_EQ(platform.messages, std::vector<std::u16string>{std::u16string(texts::kListFull)});
    EXPECT_FALSE(fs::exists(memo(kLines)));
    w().userSelect(kLines - 1);
    type(u"!");
    EXPECT_EQ(memoBytes(kLines - 1), "t39999!");
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(memoBytes(kMaxMemos), "t32767");
}

TEST_F(BadInputTest, AFiftyMegabyteMemoOpensAndSavesWhole) {
    std::string big;
    big.reserve(50u << 20);
    const std::string line = "\x8A\xBF\x8E\x9A and ASCII, line after line\r\n";
    while (big.size() + line.size() <= (50u << 20))
        big += line;
    writeBytes(memo(0), big);
    writeBytes(indexPath(), "big\r\n");
    startAsIs();
    w().userSelect(0);
    EXPECT_EQ(memoBytes(0), big);
    type(u"z");
    EXPECT_EQ(memoBytes(0), big + "z");
    EXPECT_EQ(indexBytes().substr(0, 4), "\x8A\xBF\x8E\x9A");
    EXPECT_TRUE(platform.errors.empty());
}

}  // namespace
}  // namespace tetomu::test
