// What the scenario table cannot say of a folder on a POSIX system: private modes, read-only
// files and folders. No mode changes, nothing is written where the person may not write, and the
// folder keeps every byte the person did not change. (Links and pipes at a memo's or the index's
// name are scenarios of the table; a second copy of the program is started for real by
// scripts/check-window.sh.)
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/file_system_posix.h"
#include "support/core_driver.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

// One copy of the program, started on the folder, making these steps.
struct Copy {
    Copy(const fs::path& dir, std::initializer_list<Step> steps) {
        EXPECT_EQ(driver.start(dir), StartResult::Shown);
        for (const Step& step : steps)
            driver.apply(step);
    }
    PosixFileSystem files;
    CoreDriver driver{files};
};

class FolderSafety : public testing::Test {
  protected:
    TempDir dir;
    fs::path memo = makeMemoFolder(dir.path(), memos({u"zero", u"one"}));
};

TEST_F(FolderSafety, ASaveKeepsTheMode) {
    fs::permissions(memo / "0.txt", fs::perms(0600));
    fs::permissions(memo / "group.gl", fs::perms(0640));
    Copy(dir.path(), {click(0), key(TextKey::End), commit(u"!")});
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
        if (Copy copy(dir.path(), {click(1), key(TextKey::End), commit(u"?")});
            copy.driver.ended() || copy.driver.text() != u"one?" ||
            readBytes(memo / "1.txt") != "one")
            return false;
        // A folder that may only be read: every memo opens, nothing is written. A title that
        // is derived again on opening cannot be written back: told once, and browsing goes on.
        writeBytes(memo / "group.gl", "stale\r\none\r\n");
        fs::permissions(memo, fs::perms(0555));
        Copy browsing(dir.path(), {click(0), click(1), click(0)});
        return !browsing.driver.ended() && browsing.driver.text() == u"zero" &&
               browsing.driver.messages() ==
                   std::vector<std::u16string>{std::u16string(texts::kTitleNotWritten)} &&
               readBytes(memo / "group.gl") == "stale\r\none\r\n";
    }));
}

}  // namespace
}  // namespace tetomu::test
