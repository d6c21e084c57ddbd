// What a person's folder may hold besides memos, on a POSIX system: links, pipes, private modes,
// read-only files, left-overs of a save cut short, and a second copy of the program. Nothing is
// written through a link, nothing waits on a pipe, no mode changes, and the folder keeps every
// byte the person did not change.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <future>
#include <memory>

#include "store/file_system_posix.h"
#include "support/scenario.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

class FolderSafety : public testing::Test {
  protected:
    TempDir dir;
    TempDir outside;
    fs::path memo = dir.path() / "memo";
    Cp932Codec codec;
    PosixFileSystem files;
    FakePlatform platform;
    std::unique_ptr<MemoWindow> window;

    FolderSafety() {
        fs::create_directory(memo);
        for (const File& f : memos({u"zero", u"one"}))
            writeBytes(memo / f.name, f.bytes);
        platform.directory = dir.path().native();
    }
    // Starts the window; a start that would wait on a pipe fails the test instead of hanging.
    StartResult start() {
        window = std::make_unique<MemoWindow>(files, codec, platform);
        auto started = std::async(std::launch::async, [&] { return window->start(); });
        if (started.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "start-up waits";
            std::quick_exit(1);
        }
        return started.get();
    }
    void typeAtEnd(std::u16string_view text) {
        window->userEdit({window->text().Text().size(), 0, std::u16string(text)});
    }
    std::u16string lastMessage() const {
        return platform.messages.empty() ? u"" : platform.messages.back();
    }
    static mode_t modeOf(const fs::path& p) {
        struct stat st {};
        ::lstat(p.c_str(), &st);
        return st.st_mode & 07777;
    }
};

TEST_F(FolderSafety, ASaveNeverWritesThroughALinkLeftAtItsSiblingName) {
    writeBytes(outside.path() / "target", "theirs");
    fs::create_symlink(outside.path() / "target", memo / "0.txt.saving");
    fs::create_symlink(outside.path() / "target", memo / "group.gl.saving");
    ASSERT_EQ(start(), StartResult::Shown);
    window->userSelect(0);
    typeAtEnd(u"!");
    EXPECT_TRUE(platform.failed);
    EXPECT_NE(lastMessage().find(u"0.txt.saving"), std::u16string::npos);
    EXPECT_EQ(readBytes(outside.path() / "target"), "theirs");
    EXPECT_EQ(readBytes(memo / "0.txt"), "zero");
    EXPECT_TRUE(fs::is_symlink(memo / "0.txt.saving"));
}

TEST_F(FolderSafety, ALinkAtTheIndexIsRefusedAndNeverBroughtToLife) {
    fs::remove(memo / "group.gl");
    fs::create_symlink(outside.path() / "made", memo / "group.gl");
    EXPECT_EQ(start(), StartResult::Failed);
    EXPECT_NE(lastMessage().find(u"group.gl"), std::u16string::npos);
    EXPECT_FALSE(fs::exists(outside.path() / "made"));
}

TEST_F(FolderSafety, ALinkAtAMemoIsToldAndNeverFollowed) {
    writeBytes(outside.path() / "target", "theirs");
    fs::remove(memo / "1.txt");
    fs::create_symlink(outside.path() / "target", memo / "1.txt");
    ASSERT_EQ(start(), StartResult::Shown);
    EXPECT_EQ(
        lastMessage(),
        u"memo フォルダが group.gl と合うてへんで！\r\n・1.txt がふつうのファイルやないやん\r\n"
        u"ファイルはどれもそのままにしてあるで。");
    window->userSelect(1);
    EXPECT_TRUE(platform.failed);
    EXPECT_EQ(readBytes(outside.path() / "target"), "theirs");
}

TEST_F(FolderSafety, APipeIsNeverWaitedOn) {
    ASSERT_EQ(::mkfifo((memo / "2.txt").c_str(), 0600), 0);
    ASSERT_EQ(start(), StartResult::Shown);
    typeAtEnd(u"new");
    EXPECT_EQ(lastMessage(), texts::cannotCreate(u"2.txt"));
    EXPECT_FALSE(platform.failed);
    EXPECT_EQ(readBytes(memo / "group.gl"), "zero\r\none\r\n");

    TempDir other;
    fs::create_directory(other.path() / "memo");
    ASSERT_EQ(::mkfifo((other.path() / "memo" / "group.gl").c_str(), 0600), 0);
    platform = FakePlatform{};
    platform.directory = other.path().native();
    PosixFileSystem otherFiles;
    window = std::make_unique<MemoWindow>(otherFiles, codec, platform);
    auto started = std::async(std::launch::async, [&] { return window->start(); });
    ASSERT_EQ(started.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(started.get(), StartResult::Failed);
}

TEST_F(FolderSafety, ASaveKeepsTheModeAndARefusedFileStaysAsItWas) {
    fs::permissions(memo / "0.txt", fs::perms(0600));
    fs::permissions(memo / "group.gl", fs::perms(0640));
    ASSERT_EQ(start(), StartResult::Shown);
    window->userSelect(0);
    typeAtEnd(u"!");
    EXPECT_EQ(readBytes(memo / "0.txt"), "zero!");
    EXPECT_EQ(modeOf(memo / "0.txt"), 0600u);
    EXPECT_EQ(modeOf(memo / "group.gl"), 0640u);
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
        // A memo the person made read-only opens, and a change to it is refused.
        if (start() != StartResult::Shown) return false;
        window->userSelect(1);
        if (platform.failed) return false;
        typeAtEnd(u"?");
        if (!platform.failed || readBytes(memo / "1.txt") != "one") return false;
        // A folder that may only be read: every memo opens, nothing is written.
        fs::permissions(memo, fs::perms(0555));
        platform = FakePlatform{};
        platform.directory = dir.path().native();
        MemoWindow browsing(files, codec, platform);
        if (browsing.start() != StartResult::Shown) return false;
        browsing.userSelect(0);
        browsing.userSelect(1);
        return !platform.failed && browsing.text().Text() == u"one";
    }));
}

TEST_F(FolderSafety, OneCopyPerFolderWhoeverStartsIt) {
    auto firstFiles = std::make_unique<PosixFileSystem>();
    window = std::make_unique<MemoWindow>(*firstFiles, codec, platform);
    ASSERT_EQ(window->start(), StartResult::Shown);
    PosixFileSystem otherFiles;
    FakePlatform otherPlatform;
    otherPlatform.directory = dir.path().native();
    MemoWindow second(otherFiles, codec, otherPlatform);
    EXPECT_EQ(second.start(), StartResult::AnotherCopyRunning);
    EXPECT_TRUE(otherPlatform.messages.empty());
    EXPECT_EQ(folderBytes(memo),
              (std::map<std::string, std::string>{
                  {"0.txt", "zero"}, {"1.txt", "one"}, {"group.gl", "zero\r\none\r\n"}}));
    // The lock goes with the copy, however it ends.
    window.reset();
    firstFiles.reset();
    PosixFileSystem thirdFiles;
    MemoWindow third(thirdFiles, codec, otherPlatform);
    EXPECT_EQ(third.start(), StartResult::Shown);
}

TEST_F(FolderSafety, ASwapOfAFileRemovedMeanwhileNamesTheSystemsNumber) {
    ASSERT_EQ(start(), StartResult::Shown);
    window->userSelect(0);
    window->userClickCheck();
    fs::remove(memo / "1.txt");
    window->userSelect(1);
    EXPECT_TRUE(platform.failed);
    EXPECT_EQ(lastMessage().rfind(u"実行時エラー '2':", 0), 0u);
    EXPECT_EQ(readBytes(memo / "0.txt"), "zero");
    EXPECT_FALSE(fs::exists(memo / "temp.txt"));
}

}  // namespace
}  // namespace tetomu::test
