// Start-up after a save that was cut short: each shape a delete, a swap or a new memo can leave
// is finished or undone, byte for byte, and any other shape is left exactly as it was found.
#include "test_support.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using Names = std::vector<std::string>;

class RepairTest : public WindowTest {
  protected:
    // A fresh folder for each case of a scenario.
    void reset() {
        fs::remove_all(memoDir);
        fs::create_directory(memoDir);
        platform = FakePlatform{};
        platform.directory = dir.path().native();
        window.reset();
    }
    void lay(std::initializer_list<std::pair<int, std::string>> memos, std::string index) {
        for (const auto& [n, text] : memos)
            writeBytes(n < 0 ? memoDir / "temp.txt" : memo(n), text);
        writeBytes(indexPath(), index);
    }
    void expectFolder(const std::vector<std::string>& texts, const std::string& index) {
        Names names;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(memoBytes(int(i)), texts[i]) << i;
            names.push_back(std::to_string(i) + ".txt");
        }
        names.push_back("group.gl");
        std::sort(names.begin(), names.end());
        EXPECT_EQ(files_on_disk(), names);
        EXPECT_EQ(indexBytes(), index);
        EXPECT_TRUE(platform.errors.empty());
    }
};

TEST_F(RepairTest, ADeleteCutShortIsFinished) {
    // Deleting memo 1 of a, b, c, d: removed, index rewritten, renames 2->1 and 3->2.
    SCOPED_TRACE("file removed, index not yet written");
    lay({{0, "a"}, {2, "c"}, {3, "d"}}, "a\r\nb\r\nc\r\nd\r\n");
    startAsIs();
    expectFolder({"a", "c", "d"}, "a\r\nc\r\nd\r\n");
    EXPECT_EQ(items(), (std::vector<std::u16string>{u"a", u"c", u"d"}));

    reset();
    SCOPED_TRACE("index written, no rename yet");
    lay({{0, "a"}, {2, "c"}, {3, "d"}}, "a\r\nc\r\nd\r\n");
    startAsIs();
    expectFolder({"a", "c", "d"}, "a\r\nc\r\nd\r\n");

    reset();
    SCOPED_TRACE("one rename done");
    lay({{0, "a"}, {1, "c"}, {3, "d"}}, "a\r\nc\r\nd\r\n");
    startAsIs();
    expectFolder({"a", "c", "d"}, "a\r\nc\r\nd\r\n");

    reset();
    SCOPED_TRACE("the last memo's file removed, index not yet written");
    lay({{0, "a"}, {1, "b"}}, "a\r\nb\r\nc\r\n");
    startAsIs();
    expectFolder({"a", "b"}, "a\r\nb\r\n");
}

TEST_F(RepairTest, ASwapCutShortIsFinishedWithItsRows) {
    // Swapping memo 0 (A) and memo 2 (C): 0 -> temp, 2 -> 0, index, temp -> 2.
    SCOPED_TRACE("first rename done");
    lay({{-1, "A"}, {1, "B"}, {2, "C"}}, "A\r\nB\r\nC\r\n");
    startAsIs();
    expectFolder({"A", "B", "C"}, "A\r\nB\r\nC\r\n");

    reset();
    SCOPED_TRACE("second rename done, index still old");
    lay({{-1, "A"}, {0, "C"}, {1, "B"}}, "A\r\nB\r\nC\r\n");
    startAsIs();
    expectFolder({"C", "B", "A"}, "C\r\nB\r\nA\r\n");

    reset();
    SCOPED_TRACE("index written");
    lay({{-1, "A"}, {0, "C"}, {1, "B"}}, "C\r\nB\r\nA\r\n");
    startAsIs();
    expectFolder({"C", "B", "A"}, "C\r\nB\r\nA\r\n");

    reset();
    SCOPED_TRACE("two rows could be the first pick: the files are finished, the rows wait");
    lay({{-1, "A"}, {0, "C"}, {1, "C"}}, "A\r\nA\r\nC\r\n");
    startAsIs();
    expectFolder({"C", "C", "A"}, "A\r\nA\r\nC\r\n");
    w().userSelect(0);
    EXPECT_EQ(indexBytes(), "C\r\nA\r\nC\r\n");
    EXPECT_EQ(memoBytes(0), "C");
}

TEST_F(RepairTest, FilesPastTheIndexGetLinesAndEmptyOnesGo) {
    SCOPED_TRACE("a new memo's file written, index not yet");
    lay({{0, "a"}, {1, "typed\r\ntext"}}, "a\r\n");
    startAsIs();
    expectFolder({"a", "typed\r\ntext"}, "a\r\ntypedtext\r\n");
    // Typing now goes to a new number; nothing is written over.
    type(u"n");
    EXPECT_EQ(memoBytes(2), "n");
    EXPECT_EQ(memoBytes(1), "typed\r\ntext");

    reset();
    SCOPED_TRACE("the empty memo of 新規, and several files past the index");
    lay({{0, "a"}, {1, "x"}, {2, ""}, {3, "y"}, {4, ""}}, "a\r\n");
    startAsIs();
    expectFolder({"a", "x", "", "y"}, "a\r\nx\r\ntemp\r\ny\r\n");
}

TEST_F(RepairTest, OtherShapesAreLeftAsFoundAndStillLoseNothing) {
    SCOPED_TRACE("two memo files missing");
    lay({{0, "a"}, {3, "d"}}, "a\r\nb\r\nc\r\nd\r\n");
    startAsIs();
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "3.txt", "group.gl"}));
    EXPECT_EQ(indexBytes(), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(items().size(), 4u);
    // A new memo goes to number 4, next to the ones it does not know.
    type(u"new");
    EXPECT_EQ(memoBytes(4), "new");
    EXPECT_EQ(memoBytes(3), "d");

    reset();
    SCOPED_TRACE("temp.txt with every memo present");
    lay({{-1, "kept"}, {0, "a"}, {1, "b"}}, "a\r\nb\r\n");
    startAsIs();
    EXPECT_EQ(files_on_disk(), (Names{"0.txt", "1.txt", "group.gl", "temp.txt"}));
    EXPECT_EQ(readBytes(memoDir / "temp.txt"), "kept");
    EXPECT_EQ(indexBytes(), "a\r\nb\r\n");
}

TEST_F(RepairTest, ANewMemoNeverWritesOverAFileThatAppearedWhileRunning) {
    lay({{0, "a"}}, "a\r\n");
    startAsIs();
    writeBytes(memo(1), "put here by hand");
    type(u"x");
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_NE(platform.errors[0].find(u"1.txt"), std::u16string::npos);
    EXPECT_EQ(memoBytes(1), "put here by hand");
    EXPECT_EQ(indexBytes(), "a\r\n");
    // The next start gives that file its line.
    window.reset();
    platform = FakePlatform{};
    platform.directory = dir.path().native();
    startAsIs();
    EXPECT_EQ(indexBytes(), "a\r\nput here by hand\r\n");
}

}  // namespace
}  // namespace tetomu::test
