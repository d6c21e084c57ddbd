#include "test_support.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using Placement = std::pair<InsertAfter, unsigned>;

class StartupTest : public WindowTest {};

TEST_F(StartupTest, ShowsTheTitlesWithNothingSelectedAndKeepsTheWindowInFront) {
    writeBytes(memo(0), "a");
    writeBytes(memo(1), "");
    writeBytes(memo(2), "\x94\x83\x82\xA2");
    writeBytes(indexPath(), "a\r\n\r\n\x94\x83\x82\xA2\r\n");
    startAsIs();
    EXPECT_EQ(items(), (std::vector<std::u16string>{u"a", u"", u"買い"}));
    EXPECT_EQ(w().List1.ListIndex(), -1);
    EXPECT_EQ(w().txtmemo.Text(), u"");
    EXPECT_EQ(w().Check1.Value(), 0);
    EXPECT_TRUE(w().t11[0].Checked());
    EXPECT_FALSE(w().t11[1].Checked());
    EXPECT_FALSE(w().busy);
    EXPECT_EQ(w().basePath, dir.path().native());
    EXPECT_EQ(platform.placements, (std::vector<Placement>{{InsertAfter::Topmost, 0x43}}));
    // Start-up only reads.
    EXPECT_EQ(files.calls, std::vector<std::string>{"readOrCreate group.gl"});
}

TEST_F(StartupTest, AMissingIndexIsCreatedEmpty) {
    startAsIs();
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(files_on_disk(), std::vector<std::string>{"group.gl"});
    EXPECT_EQ(indexBytes(), "");
}

TEST_F(StartupTest, ASecondCopyEndsBeforeTouchingTheStore) {
    platform.otherCopy = true;
    MemoWindow second(files, codec, platform);
    EXPECT_EQ(second.start(), StartResult::AnotherCopyRunning);
    EXPECT_TRUE(files.calls.empty());
    EXPECT_TRUE(files_on_disk().empty());
    EXPECT_TRUE(platform.placements.empty());
}

TEST_F(StartupTest, AMissingMemoFolderIsARuntimeErrorBeforeTheWindowShows) {
    fs::remove(memoDir);
    MemoWindow window(files, codec, platform);
    EXPECT_EQ(window.start(), StartResult::Failed);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_NE(platform.errors[0].find(u"group.gl"), std::u16string::npos);
    EXPECT_TRUE(window.ended());
    EXPECT_TRUE(platform.placements.empty());
    EXPECT_FALSE(fs::exists(memoDir));
}

TEST_F(StartupTest, KeepInFrontAndReleaseMoveTheCheckMark) {
    startAsIs();
    w().choose(Command::Release);
    EXPECT_FALSE(w().t11[0].Checked());
    EXPECT_TRUE(w().t11[1].Checked());
    w().choose(Command::Release);
    w().choose(Command::KeepInFront);
    EXPECT_TRUE(w().t11[0].Checked());
    EXPECT_FALSE(w().t11[1].Checked());
    EXPECT_EQ(platform.placements, (std::vector<Placement>{{InsertAfter::Topmost, 0x43},
                                                           {InsertAfter::NoTopmost, 0x43},
                                                           {InsertAfter::NoTopmost, 0x43},
                                                           {InsertAfter::Topmost, 0x43}}));
    EXPECT_EQ(files.calls.size(), 1u);  // only start-up's read
}

TEST_F(StartupTest, VersionBoxNamesTheAuthorAndVersionOnTwoLines) {
    startAsIs();
    w().choose(Command::Version);
    EXPECT_EQ(platform.messages, std::vector<std::u16string>{u"作者：ぺぽ\r\nバージョン：4"});
}

}  // namespace
}  // namespace tetomu::test
