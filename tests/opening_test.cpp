// A click on a title opens the memo; loading its text runs the change handler.
#include "test_support.h"

namespace tetomu::test {
namespace {

using Items = std::vector<std::u16string>;
using Calls = std::vector<std::string>;

class OpeningTest : public WindowTest {};

TEST_F(OpeningTest, OpeningLoadsTheTextAndSavesThatMemoAgain) {
    start({u"zero", u"one\r\nsecond line", u"two"});
    files.calls.clear();
    w().userSelect(1);
    EXPECT_EQ(w().txtmemo.Text(), u"one\r\nsecond line");
    EXPECT_EQ(w().curIndex, 1);
    EXPECT_EQ(w().List1.ListIndex(), 1);
    EXPECT_FALSE(w().busy);
    // The read is closed before the text goes into the box; only memo 1 and the index are written.
    EXPECT_EQ(files.calls, (Calls{"read 1.txt", "write 1.txt", "write group.gl"}));
    EXPECT_EQ(handlers.lines,
              (std::vector<std::string>{"List1_Click", "  txtmemo_Change", "    List1_Click"}));
    EXPECT_EQ(memoBytes(1), "one\r\nsecond line");

    // The open memo clicked again: read, same text, nothing raised, nothing written.
    files.calls.clear();
    handlers.lines.clear();
    w().userSelect(1);
    EXPECT_EQ(files.calls, Calls{"read 1.txt"});
    EXPECT_EQ(handlers.lines, std::vector<std::string>{"List1_Click"});

    // Opening another memo leaves the file of the one shown before alone.
    files.calls.clear();
    w().userSelect(2);
    EXPECT_EQ(w().txtmemo.Text(), u"two");
    EXPECT_EQ(w().curIndex, 2);
    EXPECT_EQ(files.calls, (Calls{"read 2.txt", "write 2.txt", "write group.gl"}));
}

TEST_F(OpeningTest, TwoMemosWithTheSameTextSwitchWithoutWriting) {
    writeBytes(memo(0), "same");
    writeBytes(memo(1), "same");
    writeBytes(indexPath(), "same\r\nold title\r\n");
    startAsIs();
    w().userSelect(0);
    files.calls.clear();
    w().userSelect(1);
    EXPECT_EQ(w().curIndex, 1);
    EXPECT_EQ(files.calls, Calls{"read 1.txt"});
    EXPECT_EQ(items(), (Items{u"same", u"old title"}));  // not derived again
}

TEST_F(OpeningTest, AnIndexRowEditedOutsideIsDerivedAgainOnOpening) {
    writeBytes(memo(0), "real title\r\nbody");
    writeBytes(memo(1), "other");
    writeBytes(indexPath(), "edited by hand\r\nother\r\n");
    startAsIs();
    w().userSelect(1);
    w().userSelect(0);
    EXPECT_EQ(items(), (Items{u"real titlebody", u"other"}));
    EXPECT_EQ(indexBytes(), "real titlebody\r\nother\r\n");
    EXPECT_EQ(memoBytes(0), "real title\r\nbody");
}

TEST_F(OpeningTest, BytesOfAnotherEncodingSurviveOpeningAndSaving) {
    const std::string utf8 = "\xE6\x97\xA5\xE6\x9C\xAC\r\n\x80\xFF end";  // not code page 932
    writeBytes(memo(0), utf8);
    writeBytes(memo(1), "x");
    writeBytes(indexPath(), "t0\r\nx\r\n");
    startAsIs();
    w().userSelect(0);
    EXPECT_EQ(memoBytes(0), utf8);
    w().userSelect(1);
    w().userSelect(0);
    EXPECT_EQ(memoBytes(0), utf8);
    // Editing the end keeps every byte before it.
    w().userEdit(w().txtmemo.Text() + u"!");
    EXPECT_EQ(memoBytes(0), utf8 + "!");
}

TEST_F(OpeningTest, AMissingMemoFileIsARuntimeErrorAndCreatesNothing) {
    writeBytes(memo(0), "a");
    writeBytes(memo(1), "b");
    writeBytes(indexPath(), "a\r\nb\r\n");
    startAsIs();
    // Gone while the program runs (at start-up the line of a missing file would be dropped).
    fs::remove(memo(1));
    w().userSelect(1);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_NE(platform.errors[0].find(u"1.txt"), std::u16string::npos);
    EXPECT_FALSE(fs::exists(memo(1)));
    EXPECT_EQ(w().curIndex, 1);
    EXPECT_EQ(w().txtmemo.Text(), u"");
    EXPECT_EQ(indexBytes(), "a\r\nb\r\n");
    // The program ends: no further action reaches a handler.
    EXPECT_TRUE(w().ended());
    w().userEdit(u"late");
    EXPECT_EQ(w().txtmemo.Text(), u"");
}

}  // namespace
}  // namespace tetomu::test
