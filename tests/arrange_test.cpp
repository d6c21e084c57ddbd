// Arrange mode: "整理" ticked, the next pick exchanges two memos.
#include "test_support.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using Items = std::vector<std::u16string>;
using Names = std::vector<std::string>;
using Lines = std::vector<std::string>;

std::u16string msg(std::u16string_view text) {
    return std::u16string(text);
}

class ArrangeTest : public WindowTest {
  protected:
    void startABC() { start({u"A text", u"B text", u"C text"}); }
    void expectSwappedAC() {
        EXPECT_EQ(indexBytes(), "C text\r\nB text\r\nA text\r\n");
        EXPECT_EQ(memoBytes(0), "C text");
        EXPECT_EQ(memoBytes(1), "B text");
        EXPECT_EQ(memoBytes(2), "A text");
        EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "2.txt", "group.gl"}));
        EXPECT_EQ(items(), (Items{u"C text", u"B text", u"A text"}));
        EXPECT_EQ(w().List1.ListIndex(), -1);
        EXPECT_EQ(w().txtmemo.Text(), u"");
        EXPECT_EQ(w().Check1.Value(), 0);
        EXPECT_EQ(w().swapFrom, -1);
    }
};

TEST_F(ArrangeTest, TickingWithNothingSelectedUnticksBeforeTheMessage) {
    startABC();
    int valueDuringMessage = -1;
    platform.whileMessageShown = [&](auto&) { valueDuringMessage = w().Check1.Value(); };
    w().userClickCheck();
    EXPECT_EQ(platform.messages, Items{msg(texts::kNothingToArrange)});
    EXPECT_EQ(valueDuringMessage, 0);
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(w().swapFrom, -1);
    EXPECT_EQ(handlers.lines, (Lines{"Check1_Click", "  Check1_Click", "  MsgBox"}));
    EXPECT_EQ(files.calls, Lines{"readOrCreate group.gl"});
}

TEST_F(ArrangeTest, ASelectedItemWithAnEmptyTitleCountsAsNothingSelected) {
    writeBytes(memo(0), "");
    writeBytes(memo(1), "B");
    writeBytes(indexPath(), "\r\nB\r\n");
    startAsIs();
    w().userSelect(0);  // its text is empty like the box's, so nothing else happens
    ASSERT_EQ(w().List1.ListIndex(), 0);
    w().userClickCheck();
    EXPECT_EQ(platform.messages, Items{msg(texts::kNothingToArrange)});
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(w().swapFrom, 0);
}

TEST_F(ArrangeTest, ClickingTheFirstPickAgainChangesNothing) {
    startABC();
    w().userSelect(1);
    w().userClickCheck();
    EXPECT_EQ(w().swapFrom, 1);
    files.calls.clear();
    handlers.lines.clear();
    int valueDuringMessage = -1;
    platform.whileMessageShown = [&](auto&) { valueDuringMessage = w().Check1.Value(); };
    w().userSelect(1);
    EXPECT_EQ(platform.messages, Items{msg(texts::kSameOneClicked)});
    EXPECT_EQ(valueDuringMessage, 1);  // the message first, then the box is unticked
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(w().List1.ListIndex(), 1);
    EXPECT_EQ(w().txtmemo.Text(), u"B text");
    EXPECT_TRUE(files.calls.empty());
    EXPECT_EQ(handlers.lines, (Lines{"List1_Click", "  MsgBox", "  Check1_Click"}));
}

TEST_F(ArrangeTest, SwappingFirstAndLastExchangesFilesAndRows) {
    startABC();
    w().userSelect(0);
    w().userClickCheck();
    w().userSelect(2);
    expectSwappedAC();
    EXPECT_EQ(w().swapTo, 2);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ArrangeTest, TheOtherOrderGivesTheSameResult) {
    startABC();
    w().userSelect(2);
    w().userClickCheck();
    w().userSelect(0);
    expectSwappedAC();
}

TEST_F(ArrangeTest, EqualTitlesAndTempTitlesAreSwappedByPosition) {
    start({u"temp", u"same", u"same", u"\r\n"});
    w().userSelect(3);
    w().userClickCheck();
    w().userSelect(0);
    EXPECT_EQ(indexBytes(), "temp\r\nsame\r\nsame\r\ntemp\r\n");
    EXPECT_EQ(memoBytes(0), "\r\n");
    EXPECT_EQ(memoBytes(3), "temp");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "2.txt", "3.txt", "group.gl"}));
}

TEST_F(ArrangeTest, AListOfOneCannotBeSwapped) {
    start({u"only"});
    w().userSelect(0);
    w().userClickCheck();
    w().userSelect(0);
    EXPECT_EQ(platform.messages, Items{msg(texts::kSameOneClicked)});
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(memoBytes(0), "only");
}

TEST_F(ArrangeTest, TypingInTheFirstPickEndsArrangeModeAndSaves) {
    startABC();
    w().userSelect(0);
    w().userClickCheck();
    type(u"!");
    EXPECT_EQ(platform.messages, Items{msg(texts::kSameOneClicked)});
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(memoBytes(0), "A text!");
    type(u"?");
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(memoBytes(0), "A text!?");
    EXPECT_EQ(indexBytes(), "A text!?\r\nB text\r\nC text\r\n");
}

TEST_F(ArrangeTest, AnArrowKeyIsTheSecondPick) {
    startABC();
    w().userSelect(1);
    w().userClickCheck();
    w().userSelect(2);  // the keyboard moved the selection down
    EXPECT_EQ(indexBytes(), "A text\r\nC text\r\nB text\r\n");
    EXPECT_EQ(memoBytes(1), "C text");
    EXPECT_EQ(memoBytes(2), "B text");
}

TEST_F(ArrangeTest, TypingANewMemoInArrangeModeSwapsItWithTheFirstPick) {
    startABC();
    w().userSelect(0);
    w().userClickCheck();
    w().choose(Command::Delete);  // deletes A; arrange mode stays on, swapFrom still 0
    EXPECT_EQ(w().Check1.Value(), 1);
    type(u"N");
    // N was created at position 2 and then swapped with the memo at 0.
    EXPECT_EQ(indexBytes(), "N\r\nC text\r\nB text\r\n");
    EXPECT_EQ(memoBytes(0), "N");
    EXPECT_EQ(memoBytes(2), "B text");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "2.txt", "group.gl"}));
    EXPECT_EQ(w().txtmemo.Text(), u"");
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_FALSE(w().busy);
}

TEST_F(ArrangeTest, ASwapWithAnEmptyTextBoxStopsAfterTheExchange) {
    startABC();
    w().userSelect(0);
    w().userClickCheck();
    w().choose(Command::Delete);  // B, C remain; swapFrom 0 now names B
    w().userSelect(1);
    EXPECT_EQ(indexBytes(), "C text\r\nB text\r\n");
    EXPECT_EQ(memoBytes(0), "C text");
    EXPECT_EQ(memoBytes(1), "B text");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "group.gl"}));
}

TEST_F(ArrangeTest, TheMemoThatMovedUpIntoTheFirstPickIsLoadedNotOverwritten) {
    startABC();
    w().userSelect(0);
    w().userClickCheck();
    w().choose(Command::Delete);  // B moves up into position 0
    w().userSelect(0);
    EXPECT_EQ(platform.messages, Items{msg(texts::kSameOneClicked)});
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(w().txtmemo.Text(), u"B text");
    type(u"!");
    EXPECT_EQ(memoBytes(0), "B text!");
    EXPECT_EQ(memoBytes(1), "C text");
}

TEST_F(ArrangeTest, AFirstPickThatIsGoneChangesNothingAndSaysSo) {
    startABC();
    w().userSelect(2);
    w().userClickCheck();
    w().choose(Command::Delete);  // C was the last memo: swapFrom 2 names nothing now
    const std::string index = indexBytes();
    files.calls.clear();
    w().userSelect(0);
    EXPECT_EQ(platform.messages, Items{msg(texts::kFirstPickGone)});
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(indexBytes(), index);
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "group.gl"}));
    // The click opened the memo, as any click does with arrange mode off.
    EXPECT_EQ(w().txtmemo.Text(), u"A text");
    EXPECT_EQ(memoBytes(0), "A text");
}

TEST_F(ArrangeTest, ALeftOverTempFileBlocksTheSwapAndIsKept) {
    startABC();
    writeBytes(memoDir / "temp.txt", "rescued text");
    w().userSelect(0);
    w().userClickCheck();
    w().userSelect(2);
    EXPECT_EQ(platform.messages, Items{msg(texts::kTempLeftOver)});
    EXPECT_EQ(indexBytes(), "A text\r\nB text\r\nC text\r\n");
    EXPECT_EQ(memoBytes(0), "A text");
    EXPECT_EQ(memoBytes(2), "C text");
    EXPECT_EQ(readBytes(memoDir / "temp.txt"), "rescued text");
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(w().txtmemo.Text(), u"C text");
}

TEST_F(ArrangeTest, NewInArrangeModeEndsItAndLosesNothing) {
    startABC();
    w().userSelect(1);
    w().userClickCheck();
    w().choose(Command::New);
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_EQ(indexBytes(), "A text\r\nB text\r\nC text\r\n");
    EXPECT_EQ(memoBytes(0), "A text");
    EXPECT_EQ(memoBytes(1), "B text");
    EXPECT_EQ(memoBytes(2), "C text");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "2.txt", "group.gl"}));
    EXPECT_EQ(w().List1.ListIndex(), -1);
    EXPECT_EQ(w().txtmemo.Text(), u"");
    EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace tetomu::test
