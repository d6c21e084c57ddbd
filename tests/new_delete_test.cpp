// "新規" and "削除".
#include "test_support.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using Items = std::vector<std::u16string>;
using Names = std::vector<std::string>;

class NewDeleteTest : public WindowTest {};

TEST_F(NewDeleteTest, NewClearsTheWindowAndLeavesTheStoreAsItWas) {
    start({u"zero", u"one", u"two"});
    // With the box empty it does nothing at all.
    files.calls.clear();
    w().choose(Command::New);
    EXPECT_TRUE(files.calls.empty());
    EXPECT_TRUE(handlers.lines == std::vector<std::string>{"tu1_Click"});

    w().userSelect(0);
    ASSERT_EQ(w().txtmemo.Text(), u"zero");
    w().choose(Command::New);
    EXPECT_EQ(items(), (Items{u"zero", u"one", u"two"}));
    EXPECT_EQ(indexBytes(), "zero\r\none\r\ntwo\r\n");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "2.txt", "group.gl"}));
    EXPECT_EQ(memoBytes(0), "zero");
    EXPECT_EQ(w().List1.ListIndex(), -1);
    EXPECT_EQ(w().txtmemo.Text(), u"");
    EXPECT_TRUE(platform.messages.empty());

    // The next character is a new memo at the end.
    type(u"n");
    EXPECT_EQ(items(), (Items{u"zero", u"one", u"two", u"n"}));
    EXPECT_EQ(memoBytes(3), "n");
}

TEST_F(NewDeleteTest, DeleteWithNothingSelectedOnlySaysSo) {
    writeBytes(memo(0), "");
    writeBytes(memo(1), "b");
    writeBytes(indexPath(), "\r\nb\r\n");
    startAsIs();
    w().choose(Command::Delete);
    w().userSelect(0);  // an item with an empty title counts as nothing selected
    w().choose(Command::Delete);
    EXPECT_EQ(platform.messages, (Items{std::u16string(texts::kNothingToDelete),
                                        std::u16string(texts::kNothingToDelete)}));
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "group.gl"}));
    EXPECT_EQ(indexBytes(), "\r\nb\r\n");
}

TEST_F(NewDeleteTest, DeleteRemovesTheOpenMemoAndRenumbersTheRest) {
    start({u"zero", u"one", u"two", u"three"});
    w().userSelect(3);
    w().choose(Command::Delete);
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "2.txt", "group.gl"}));
    w().userSelect(0);
    w().choose(Command::Delete);
    EXPECT_EQ(items(), (Items{u"one", u"two"}));
    EXPECT_EQ(indexBytes(), "one\r\ntwo\r\n");
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "group.gl"}));
    EXPECT_EQ(memoBytes(0), "one");
    EXPECT_EQ(memoBytes(1), "two");
    EXPECT_EQ(w().List1.ListIndex(), -1);
    EXPECT_EQ(w().txtmemo.Text(), u"");
}

}  // namespace
}  // namespace tetomu::test
