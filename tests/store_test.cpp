#include <gtest/gtest.h>

#include "store/base_path.h"
#include "store/memo_store.h"
#include "test_support.h"

namespace tetomu::test {
namespace {

TEST(BasePath, ARootFolderIsCutAndAnyOtherKept) {
    EXPECT_EQ(basePathFrom(std::string("D:\\"), '\\'), "D:");
    EXPECT_EQ(basePathFrom(std::string("D:\\Tools"), '\\'), "D:\\Tools");
    EXPECT_EQ(basePathFrom(std::string("/"), '/'), "");
    EXPECT_EQ(basePathFrom(std::string("/opt/tetomu"), '/'), "/opt/tetomu");
    // The memo folder of a program in the root.
    Cp932Codec codec;
    PosixFileSystem files;
    EXPECT_EQ(MemoStore(files, codec, basePathFrom("/")).IndexPath(), "/memo/group.gl");
}

class StoreTest : public ::testing::Test {
  protected:
    TempDir dir;
    Cp932Codec codec;
    PosixFileSystem files;
    MemoStore store{files, codec, dir.path().native()};
    fs::path memoDir = dir.path() / "memo";
    StoreTest() { fs::create_directory(memoDir); }
};

TEST_F(StoreTest, PathsArePlainDecimalNumbers) {
    EXPECT_EQ(store.IndexPath(), memoDir / "group.gl");
    EXPECT_EQ(store.MemoPath(0), memoDir / "0.txt");
    EXPECT_EQ(store.MemoPath(10), memoDir / "10.txt");
    EXPECT_EQ(store.MemoPath(32766), memoDir / "32766.txt");
    EXPECT_EQ(store.TempPath(), memoDir / "temp.txt");
}

TEST_F(StoreTest, IndexIsOneTitlePerLineEachEndedByCRLF) {
    const std::vector<std::u16string> titles{u"買い物", u"", u"a\rb\nc", u"end\r", u"\nstart"};
    store.writeIndex(titles);
    EXPECT_EQ(readBytes(store.IndexPath()),
              "\x94\x83\x82\xA2\x95\xA8\r\n\r\na\rb\nc\r\nend\r\r\n\nstart\r\n");
    // Lone CR and LF stay inside their line: the titles read back exactly.
    EXPECT_EQ(store.readIndex(), titles);
    EXPECT_EQ(fileNames(memoDir), std::vector<std::string>{"group.gl"});

    store.writeIndex({});
    EXPECT_EQ(readBytes(store.IndexPath()), "");
    EXPECT_TRUE(store.readIndex().empty());
}

TEST_F(StoreTest, IndexReadsWhatOtherProgramsLeft) {
    writeBytes(store.IndexPath(), "a\r\nb");  // no line end after the last line
    EXPECT_EQ(store.readIndex(), (std::vector<std::u16string>{u"a", u"b"}));
    writeBytes(store.IndexPath(), "\r\n");
    EXPECT_EQ(store.readIndex(), std::vector<std::u16string>{u""});
    fs::remove(store.IndexPath());
    EXPECT_TRUE(store.readIndex().empty());
    EXPECT_EQ(readBytes(store.IndexPath()), "");  // created empty by the read
}

TEST_F(StoreTest, MemoFileHoldsTheTextAndNothingElse) {
    store.writeMemo(10, u"一行目\r\n");
    EXPECT_EQ(readBytes(memoDir / "10.txt"), "\x88\xEA\x8D\x73\x96\xDA\r\n");
    EXPECT_EQ(store.readMemo(10), u"一行目\r\n");
    store.writeMemo(10, u"x");
    EXPECT_EQ(readBytes(memoDir / "10.txt"), "x");
    EXPECT_EQ(fileNames(memoDir), std::vector<std::string>{"10.txt"});
}

TEST_F(StoreTest, OneLookAtTheFolderFindsTheMemoFilesByTheirExactNames) {
    for (const char* name : {"0.txt", "2.txt", "10.txt", "temp.txt", "010.txt", "3.txt.saving",
                             "4.TXT", "x5.txt", ".txt", "123456.txt", "group.gl"})
        writeBytes(memoDir / name, "");
    const auto folder = store.scanFolder();
    EXPECT_TRUE(folder.temp);
    std::vector<int> found;
    for (int n = 0; n < int(folder.memos.size()); ++n)
        if (folder.hasMemo(n)) found.push_back(n);
    EXPECT_EQ(found, (std::vector<int>{0, 2, 10}));
    EXPECT_FALSE(folder.hasMemo(-1));
}

TEST_F(StoreTest, RefusedCallsSayWhatAndWhere) {
    auto faultOf = [](auto&& call) {
        try {
            call();
        } catch (const StoreError& e) {
            return e.fault();
        }
        return StoreFault::Other;
    };
    EXPECT_EQ(faultOf([&] { store.readMemo(3); }), StoreFault::NotFound);
    EXPECT_FALSE(fs::exists(store.MemoPath(3)));  // reading a memo never creates it
    store.writeMemo(0, u"a");
    store.writeMemo(1, u"b");
    EXPECT_EQ(faultOf([&] { store.rename(store.MemoPath(0), store.MemoPath(1)); }),
              StoreFault::AlreadyExists);
    EXPECT_EQ(readBytes(store.MemoPath(1)), "b");
    EXPECT_EQ(faultOf([&] { store.rename(store.MemoPath(5), store.MemoPath(6)); }),
              StoreFault::NotFound);
    EXPECT_EQ(faultOf([&] { store.remove(store.MemoPath(5)); }), StoreFault::NotFound);

    fs::remove_all(memoDir);
    try {
        store.readIndex();
        FAIL() << "a missing memo folder must be refused";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.fault(), StoreFault::NotFound);
        EXPECT_EQ(e.path(), store.IndexPath());
        const std::u16string box = e.boxText();
        EXPECT_NE(box.find(u"実行時エラー '2'"), std::u16string::npos);
        EXPECT_NE(box.find(u"group.gl"), std::u16string::npos);
    }
    EXPECT_FALSE(fs::exists(memoDir));  // the program never creates the folder
}

}  // namespace
}  // namespace tetomu::test
