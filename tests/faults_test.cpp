// Refused file calls: the run-time error box, and every memo's text still on disk.
#include <cerrno>
#include <cstring>

#include "test_support.h"

namespace tetomu::test {
namespace {

using Names = std::vector<std::string>;

class FaultsTest : public WindowTest {
  protected:
    // Refuses the n-th call (0-based) from now on.
    void refuseCall(int n) {
        int seen = 0;
        files.before = [n, seen](std::string_view, const fs::path& p) mutable {
            if (seen++ == n) throw diskFull(p);
        };
    }
};

TEST_F(FaultsTest, EveryCallOfASessionMayFailWithoutLosingAMemo) {
    // A session: open a memo and type, create one, delete one, New, swap two.
    auto session = [&] {
        w().userSelect(1);
        type(u"+");
        w().choose(Command::New);
        type(u"new");
        w().userSelect(0);
        w().choose(Command::Delete);
        w().userSelect(0);
        w().userClickCheck();
        w().userSelect(2);
    };
    for (int n = 0;; ++n) {
        SCOPED_TRACE("refused call " + std::to_string(n));
        TempDir run;
        useFolderIn(run);
        start({u"zero", u"one", u"two"});
        refuseCall(n);
        session();
        files.before = nullptr;
        if (platform.errors.empty()) break;  // the whole session ran: every call has been tried
        EXPECT_EQ(platform.errors.size(), 1u);
        EXPECT_TRUE(w().ended());
        // Whatever was saved is whole: each text is one of the versions the session produced.
        std::set<std::string> texts;
        for (const auto& name : fileNames(memoDir)) {
            EXPECT_EQ(name.find(".saving"), std::string::npos) << name;
            if (name != "group.gl") texts.insert(readBytes(memoDir / name));
        }
        const std::set<std::string> known{"zero", "one", "one+", "two", "new", "n", "ne", ""};
        for (const auto& t : texts)
            EXPECT_TRUE(known.count(t)) << t;
        EXPECT_TRUE(texts.count("one") || texts.count("one+"));
        EXPECT_TRUE(texts.count("two"));
    }
}

TEST_F(FaultsTest, ASwapThatFailsHalfWayPutsTheFilesBack) {
    for (int failing = 0; failing < 4; ++failing) {
        SCOPED_TRACE("failing step " + std::to_string(failing));
        TempDir run;
        useFolderIn(run);
        start({u"A", u"B", u"C"});
        w().userSelect(0);
        w().userClickCheck();
        // The three renames, then the index write.
        int step = 0;
        files.before = [&](std::string_view op, const fs::path& p) {
            if ((op == "rename" || (op == "write" && p.filename() == "group.gl")) &&
                step++ == failing)
                throw diskFull(p);
        };
        w().userSelect(2);
        files.before = nullptr;
        ASSERT_EQ(platform.errors.size(), 1u);
        EXPECT_EQ(memoBytes(0), "A");
        EXPECT_EQ(memoBytes(1), "B");
        EXPECT_EQ(memoBytes(2), "C");
        EXPECT_EQ(indexBytes(), "A\r\nB\r\nC\r\n");
        EXPECT_EQ(fileNames(memoDir), (Names{"0.txt", "1.txt", "2.txt", "group.gl"}));
    }
}

TEST_F(FaultsTest, EachKindOfRefusalNamesItselfAndThePathAndTheRestartIsWhole) {
    struct Kind {
        StoreFault fault;
        int code;
        std::u16string_view words;
    };
    const Kind kinds[] = {
        {StoreFault::DiskFull, ENOSPC, u"ディスクがいっぱいです"},
        {StoreFault::AccessDenied, EACCES, u"アクセスできません"},
        {StoreFault::IoError, EIO, u"読み書きに失敗しました"},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.code);
        TempDir run;
        useFolderIn(run);
        start({u"zero", u"one", u"two"});
        w().userSelect(0);
        // The delete path: 0.txt removed, then the index refused.
        files.before = [&](std::string_view op, const fs::path& p) {
            if (op == "write") throw StoreError(kind.fault, kind.code, std::strerror(kind.code), p);
        };
        w().choose(Command::Delete);
        files.before = nullptr;
        ASSERT_EQ(platform.errors.size(), 1u);
        EXPECT_NE(platform.errors[0].find(kind.words), std::u16string::npos);
        EXPECT_NE(platform.errors[0].find(u"group.gl"), std::u16string::npos);
        const std::string number = "'" + std::to_string(kind.code) + "'";
        EXPECT_NE(platform.errors[0].find(std::u16string(number.begin(), number.end())),
                  std::u16string::npos);
        // The next start finishes the delete: the other two memos, in order, under 0 and 1.
        platform = FakePlatform{};
        platform.directory = run.path().native();
        startAsIs();
        EXPECT_EQ(fileNames(memoDir), (Names{"0.txt", "1.txt", "group.gl"}));
        EXPECT_EQ(memoBytes(0), "one");
        EXPECT_EQ(memoBytes(1), "two");
        EXPECT_EQ(indexBytes(), "one\r\ntwo\r\n");
    }
}

}  // namespace
}  // namespace tetomu::test
