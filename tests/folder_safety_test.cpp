// What a person's folder may hold besides memos, on a POSIX system: links, pipes, private modes,
// read-only files, and a second copy of the program. Nothing is written through a link, nothing
// waits on a pipe, no mode changes, and the folder keeps every byte the person did not change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>

#include "store/file_system_posix.h"
#include "support/core_driver.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

// One copy of the program: the folder lock goes with its file system.
struct Copy {
    PosixFileSystem files;
    CoreDriver driver{files};
};

class FolderSafety : public testing::Test {
  protected:
    TempDir dir;
    TempDir outside;
    fs::path memo = dir.path() / "memo";

    FolderSafety() {
        fs::create_directory(memo);
        writeFolder(memo, memos({u"zero", u"one"}));
    }
    // A start that would wait on a pipe fails the test instead of hanging it.
    std::unique_ptr<Copy> start(StartResult expected = StartResult::Shown) {
        auto copy = std::make_unique<Copy>();
        auto started =
            std::async(std::launch::async, [&] { return copy->driver.start(dir.path()); });
        if (started.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "the start waits";
            std::quick_exit(1);
        }
        EXPECT_EQ(started.get(), expected);
        return copy;
    }
    // Opens memo n and types at its end.
    static void typeInto(Copy& copy, int n, std::u16string text) {
        for (const Step& step : {click(n), key(TextKey::End), commit(std::move(text))})
            copy.driver.apply(step);
    }
};

TEST_F(FolderSafety, ASaveNeverWritesThroughALinkLeftAtItsSiblingName) {
    writeBytes(outside.path() / "target", "theirs");
    fs::create_symlink(outside.path() / "target", memo / "0.txt.saving");
    fs::create_symlink(outside.path() / "target", memo / "group.gl.saving");
    const auto copy = start();
    typeInto(*copy, 0, u"!");
    // Refused, and told; the text stays in the box.
    EXPECT_FALSE(copy->driver.ended());
    EXPECT_EQ(copy->driver.text(), u"zero!");
    EXPECT_NE(copy->driver.lastMessage().find(u"0.txt.saving"), std::u16string::npos);
    EXPECT_EQ(readBytes(outside.path() / "target"), "theirs");
    EXPECT_EQ(readBytes(memo / "0.txt"), "zero");
    EXPECT_TRUE(fs::is_symlink(memo / "0.txt.saving"));
}

TEST_F(FolderSafety, ALinkOrAPipeAtTheIndexIsRefusedNeverWaitedOnNorBroughtToLife) {
    fs::remove(memo / "group.gl");
    fs::create_symlink(outside.path() / "made", memo / "group.gl");
    EXPECT_NE(start(StartResult::Failed)->driver.lastMessage().find(u"group.gl"),
              std::u16string::npos);
    EXPECT_FALSE(fs::exists(outside.path() / "made"));
    fs::remove(memo / "group.gl");
    ASSERT_EQ(::mkfifo((memo / "group.gl").c_str(), 0600), 0);
    start(StartResult::Failed);
}

TEST_F(FolderSafety, ALinkOrAPipeAtAMemoIsToldNeverFollowedAndDeletedAsAName) {
    writeBytes(outside.path() / "target", "theirs");
    for (const bool link : {true, false}) {
        fs::remove(memo / "0.txt");
        if (link) {
            fs::create_symlink(outside.path() / "target", memo / "0.txt");
        } else {
            ASSERT_EQ(::mkfifo((memo / "0.txt").c_str(), 0600), 0);
        }
        const auto copy = start();
        for (const Step& step : {click(0), type(u"x")})
            copy->driver.apply(step);
        const std::u16string told = texts::memoNotAFile(u"0.txt");
        EXPECT_EQ(
            copy->driver.messages(),
            (std::vector<std::u16string>{
                u"memo フォルダが group.gl と合うてへんで！\r\n・0.txt がふつうのファイルやないやん"
                u"\r\nファイルはどれもそのままにしてあるで。",
                told, noticed(told)}));
        EXPECT_EQ(copy->driver.text(), u"");
        copy->driver.apply(menu(Command::Delete));
        EXPECT_FALSE(copy->driver.ended());
        EXPECT_EQ(folderBytes(memo), memos({u"one"}));
        EXPECT_EQ(readBytes(outside.path() / "target"), "theirs");
        fs::remove(memo / "0.txt");
        writeFolder(memo, memos({u"zero", u"one"}));
    }
}

TEST_F(FolderSafety, APipeAtTheNextMemoIsNeverWaitedOn) {
    ASSERT_EQ(::mkfifo((memo / "2.txt").c_str(), 0600), 0);
    const auto copy = start();
    copy->driver.apply(commit(u"new"));
    EXPECT_EQ(copy->driver.lastMessage(), noticed(texts::cannotCreate(u"2.txt")));
    EXPECT_FALSE(copy->driver.ended());
    EXPECT_EQ(readBytes(memo / "group.gl"), "zero\r\none\r\n");
}

TEST_F(FolderSafety, ASaveKeepsTheMode) {
    fs::permissions(memo / "0.txt", fs::perms(0600));
    fs::permissions(memo / "group.gl", fs::perms(0640));
    typeInto(*start(), 0, u"!");
    EXPECT_EQ(readBytes(memo / "0.txt"), "zero!");
    EXPECT_EQ(fs::status(memo / "0.txt").permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(memo / "group.gl").permissions(), fs::perms(0640));
}

// Run as someone who is bound by modes: the superuser writes read-only files.
bool asOrdinaryUser(const fs::path& tree, const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) {
        for (const auto& entry : fs::recursive_directory_iterator(tree))
            static_cast<void>(::lchown(entry.path().c_str(), 65534, 65534));
        static_cast<void>(::chown(tree.c_str(), 65534, 65534));
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        std::_Exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(FolderSafety, AReadOnlyFolderCanBeBrowsedAndAChangeIsRefused) {
    fs::permissions(memo / "1.txt", fs::perms(0444));
    EXPECT_TRUE(asOrdinaryUser(dir.path(), [&] {
        // A memo the person made read-only opens, and a change to it is refused and kept in
        // the box.
        auto copy = start();
        copy->driver.apply(click(1));
        if (copy->driver.ended()) return false;
        typeInto(*copy, 1, u"?");
        if (copy->driver.ended() || copy->driver.text() != u"one?" ||
            readBytes(memo / "1.txt") != "one")
            return false;
        copy.reset();
        // A folder that may only be read: every memo opens, nothing is written. A title that
        // is derived again on opening cannot be written back: told once, and browsing goes on.
        writeBytes(memo / "group.gl", "stale\r\none\r\n");
        fs::permissions(memo, fs::perms(0555));
        const auto browsing = start();
        for (const int row : {0, 1, 0})
            browsing->driver.apply(click(row));
        return !browsing->driver.ended() && browsing->driver.text() == u"zero" &&
               browsing->driver.messages() ==
                   std::vector<std::u16string>{std::u16string(texts::kTitleNotWritten)} &&
               readBytes(memo / "group.gl") == "stale\r\none\r\n";
    }));
}

TEST_F(FolderSafety, OneCopyPerFolderWhoeverStartsIt) {
    auto first = start();
    EXPECT_TRUE(start(StartResult::AnotherCopyRunning)->driver.messages().empty());
    EXPECT_EQ(folderBytes(memo), memos({u"zero", u"one"}));
    // The lock goes with the copy, however it ends.
    first.reset();
    start();
}

}  // namespace
}  // namespace tetomu::test
