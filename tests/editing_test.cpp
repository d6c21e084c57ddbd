// Typing saves: the create, update and delete paths of the change handler.
#include "test_support.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using Names = std::vector<std::string>;
using Items = std::vector<std::u16string>;

class EditingTest : public WindowTest {};

TEST_F(EditingTest, TypingIntoAnEmptyStoreCreatesTheFirstMemo) {
    start();
    type(u"a");
    EXPECT_EQ(items(), Items{u"a"});
    EXPECT_EQ(w().List1.ListIndex(), 0);
    EXPECT_EQ(indexBytes(), "a\r\n");
    EXPECT_EQ(memoBytes(0), "a");
    EXPECT_EQ(w().curIndex, 0);
    EXPECT_FALSE(w().busy);
    EXPECT_EQ(w().txtmemo.Text(), u"a");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "group.gl"}));
    // The selection raises the click, which returns at once on busy.
    EXPECT_EQ(handlers.lines, (std::vector<std::string>{"txtmemo_Change", "  List1_Click"}));

    // The next character updates the same memo; Japanese goes to disk as code page 932.
    type(u"あ");
    EXPECT_EQ(items(), Items{u"aあ"});
    EXPECT_EQ(indexBytes(), "a\x82\xA0\r\n");
    EXPECT_EQ(memoBytes(0), "a\x82\xA0");
    EXPECT_EQ(w().List1.ListIndex(), 0);
}

TEST_F(EditingTest, TypingWithNothingSelectedAppendsANewMemo) {
    start({u"one", u"two", u"three"});
    type(u"x");
    EXPECT_EQ(items(), (Items{u"one", u"two", u"three", u"x"}));
    EXPECT_EQ(w().List1.ListIndex(), 3);
    EXPECT_EQ(w().curIndex, 3);
    EXPECT_EQ(indexBytes(), "one\r\ntwo\r\nthree\r\nx\r\n");
    EXPECT_EQ(memoBytes(3), "x");
    EXPECT_EQ(memoBytes(0), "one");
}

TEST_F(EditingTest, LineBreaksShapeTheTitleButTheFileKeepsTheWholeText) {
    start();
    w().userEdit(u"\r\n");  // Enter first
    EXPECT_EQ(items(), Items{u"temp"});
    EXPECT_EQ(memoBytes(0), "\r\n");
    type(u"b");
    EXPECT_EQ(items(), Items{u"b"});
    EXPECT_EQ(memoBytes(0), "\r\nb");
    EXPECT_EQ(indexBytes(), "b\r\n");

    // Sixty characters of nothing but line breaks: the title falls back whatever follows.
    std::u16string text;
    for (int i = 0; i < 30; ++i)
        text += u"\r\n";
    text += u"after";
    w().userEdit(text);
    EXPECT_EQ(items(), Items{u"temp"});
    EXPECT_EQ(memoBytes(0), std::string(codec.encode(text)));

    // A text that ends in a line break ends in CR LF and nothing more.
    w().userEdit(u"line\r\n");
    EXPECT_EQ(memoBytes(0), "line\r\n");
}

TEST_F(EditingTest, EditingAnOpenMemoRewritesItsFileAndItsIndexLineOnly) {
    start({u"zero", u"one", u"two"});
    w().userSelect(1);
    files.calls.clear();
    handlers.lines.clear();
    type(u"!");
    EXPECT_EQ(items(), (Items{u"zero", u"one!", u"two"}));
    EXPECT_EQ(w().List1.ListIndex(), 1);
    EXPECT_EQ(indexBytes(), "zero\r\none!\r\ntwo\r\n");
    EXPECT_EQ(memoBytes(0), "zero");
    EXPECT_EQ(memoBytes(1), "one!");
    EXPECT_EQ(memoBytes(2), "two");
    // The list is rebuilt as the index just written reads back, without reading it again.
    EXPECT_EQ(files.calls, (std::vector<std::string>{"write 1.txt", "write group.gl"}));
    EXPECT_EQ(handlers.lines, (std::vector<std::string>{"txtmemo_Change", "  List1_Click"}));

    // A change that keeps the title still saves everything.
    const std::u16string longText = u"one!" + std::u16string(60, u'x');
    w().userEdit(longText);
    files.calls.clear();
    w().userEdit(longText + u"y");
    EXPECT_EQ(items()[1], u"one!" + std::u16string(56, u'x'));
    EXPECT_EQ(memoBytes(1), codec.encode(longText + u"y"));
    EXPECT_EQ(files.calls.size(), 2u);

    // Typing over the whole selected text is one change: an update, not a delete.
    w().userEdit(u"X");
    EXPECT_EQ(items(), (Items{u"zero", u"X", u"two"}));
    EXPECT_EQ(memoBytes(1), "X");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "2.txt", "group.gl"}));
}

TEST_F(EditingTest, EmptyingAMemoDeletesItAndRenumbersTheLaterOnes) {
    start({u"zero", u"one", u"two"});
    w().curIndex = 7;
    w().userSelect(1);
    files.calls.clear();
    w().userEdit(u"");
    EXPECT_EQ(items(), (Items{u"zero", u"two"}));
    EXPECT_EQ(w().List1.ListIndex(), -1);
    EXPECT_EQ(w().delIndex, 1);
    EXPECT_EQ(w().curIndex, 1);
    EXPECT_EQ(indexBytes(), "zero\r\ntwo\r\n");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "group.gl"}));
    EXPECT_EQ(memoBytes(1), "two");
    EXPECT_EQ(files.calls,
              (std::vector<std::string>{"remove 1.txt", "write group.gl", "rename 2.txt"}));

    // The next character goes to a new memo at the end, not into the deleted position.
    type(u"n");
    EXPECT_EQ(items(), (Items{u"zero", u"two", u"n"}));
    EXPECT_EQ(memoBytes(2), "n");

    // The last memo: its file goes and nothing is renamed.
    files.calls.clear();
    w().userEdit(u"");
    EXPECT_EQ(files.calls, (std::vector<std::string>{"remove 2.txt", "write group.gl"}));

    // The only memo left: an empty index and no memo files.
    w().userSelect(1);
    w().userEdit(u"");
    w().userSelect(0);
    w().userEdit(u"");
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(indexBytes(), "");
    EXPECT_EQ(files_on_disk(), Names{"group.gl"});
}

TEST_F(EditingTest, MemoTenIsStoredAsTenDotTxt) {
    start();
    for (int i = 0; i <= 10; ++i) {
        w().userEdit(u"m" + std::u16string(1, char16_t(u'a' + i)));
        w().choose(Command::New);
    }
    EXPECT_EQ(memoBytes(10), "mk");
    EXPECT_EQ(files_on_disk().size(), 12u);
    EXPECT_FALSE(fs::exists(memoDir / "010.txt"));
}

TEST_F(EditingTest, AnItemWithAnEmptyTitleCountsAsNoSelection) {
    writeBytes(memo(0), "hidden");
    writeBytes(indexPath(), "\r\n");
    startAsIs();
    w().userSelect(0);
    // Opening it loads the text, and that change creates a copy at the end.
    EXPECT_EQ(items(), (Items{u"", u"hidden"}));
    EXPECT_EQ(w().List1.ListIndex(), 1);
    EXPECT_EQ(memoBytes(0), "hidden");
    EXPECT_EQ(memoBytes(1), "hidden");
    EXPECT_EQ(indexBytes(), "\r\nhidden\r\n");
}

TEST_F(EditingTest, AFullListCreatesNothingAndSaysSo) {
    std::string index;
    for (int i = 0; i < kMaxMemos; ++i)
        index += "t\r\n";
    writeBytes(indexPath(), index);
    writeBytes(memo(0), "t");
    writeBytes(memo(kMaxMemos - 1), "last");
    startAsIs();
    type(u"x");
    EXPECT_EQ(platform.messages, std::vector<std::u16string>{std::u16string(texts::kListFull)});
    EXPECT_EQ(w().List1.ListCount(), kMaxMemos);
    EXPECT_EQ(indexBytes(), index);
    EXPECT_FALSE(fs::exists(memo(kMaxMemos)));

    // "新規" cannot make its temporary memo either, and must not take away the last real one; its
    // emptied box has nothing to lose, so nothing is said.
    w().userSelect(0);
    type(u"u");
    w().choose(Command::New);
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(memoBytes(kMaxMemos - 1), "last");
    EXPECT_EQ(memoBytes(0), "tu");
    EXPECT_EQ(w().List1.ListCount(), kMaxMemos);
    EXPECT_EQ(w().txtmemo.Text(), u"");
    EXPECT_FALSE(w().ended());
}

}  // namespace
}  // namespace tetomu::test
