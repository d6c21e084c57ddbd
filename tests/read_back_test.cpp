// The list after a save is what reading the index back would give, worked out without reading
// it: these check that shortcut against the real read, on real files, for every kind of title.
#include <optional>
#include <random>

#include "test_support.h"

namespace tetomu::test {
namespace {

using Titles = std::vector<std::u16string>;

// The index as a whole text, encoded in one piece, and read back the same way: the plain
// definitions that the line-by-line code must agree with.
std::string referenceEncode(const Cp932Codec& codec, const Titles& titles) {
    std::u16string text;
    for (const auto& t : titles)
        text += t + u"\r\n";
    return codec.encode(text);
}

Titles referenceDecode(const Cp932Codec& codec, std::string_view bytes) {
    const std::u16string text = codec.decode(bytes);
    Titles titles;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        titles.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return titles;
}

Titles applied(Titles titles, const IndexReadBack& back) {
    if (back.allRows) return *back.allRows;
    for (const auto& [row, text] : back.changedRows)
        titles.at(std::size_t(row)) = text;
    return titles;
}

// Pieces that titles are made of: plain characters, and everything that does not come back as
// itself (kept bytes, characters the code page cannot hold, surrogates, line-break pieces).
const std::u16string_view kPieces[] = {
    u"a",      u"買",     u"ｱ",      u"\r",     u"\n", u"纊",     u"Ⅰ",      u"¬",
    u"\xDC81", u"\xDCFA", u"\xDC80", u"\xDCFF", u"€",  u"😀",      u"\xD800", u"\xDC00",
    u"\0",     u"?",      u"＜",     u"\x7F",   u"ﾟ",  u"\xE000", u" ",      u"∞",
};

std::u16string randomTitle(std::mt19937& random, std::size_t maxPieces) {
    std::u16string title;
    const std::size_t n = random() % (maxPieces + 1);
    for (std::size_t i = 0; i < n; ++i)
        title += kPieces[random() % std::size(kPieces)];
    return title;
}

class ReadBackTest : public ::testing::Test {
  protected:
    TempDir dir;
    Cp932Codec codec;
    PosixFileSystem files;
    MemoStore store{files, codec, dir.path().native()};
    fs::path memoDir = dir.path() / "memo";
    ReadBackTest() { fs::create_directory(memoDir); }

    // Writes the titles, then checks the bytes on disk and the promised read against a real one.
    void check(const Titles& titles, std::optional<Titles> expectedRead = std::nullopt) {
        SCOPED_TRACE(::testing::PrintToString(titles));
        const IndexReadBack back = store.writeIndexReadBack(titles);
        EXPECT_EQ(readBytes(memoDir / "group.gl"), referenceEncode(codec, titles));
        const Titles read = store.readIndex();
        EXPECT_EQ(applied(titles, back), read);
        if (expectedRead) {
            EXPECT_EQ(read, *expectedRead);
        }
        // Only rows that really differ are reported.
        for (const auto& [row, text] : back.changedRows)
            EXPECT_NE(titles.at(std::size_t(row)), text);
    }
};

TEST_F(ReadBackTest, TitlesOfEveryKindReadBackAsPromised) {
    const Titles plain{u"買い物", u"", u"ｱｲｳ abc", u"a\rb\nc", u"end\r", u"\nstart", u"纊"};
    check(plain, plain);
    // A kept lead byte next to a character that has a pair of its own.
    check({u"zero", u"\xDC81Ⅰ", u"\xDCFA\x4A", u"two"});
    // What the code page cannot hold reads back as '?'.
    check({u"€😀x", u"\xD800", u"ok"}, std::vector<std::u16string>{u"??x", u"?", u"ok"});
    // A title with a CR LF in it reads back as two lines: the rows no longer match one for one.
    check({u"one\r\ntwo", u"three"}, std::vector<std::u16string>{u"one", u"two", u"three"});
    check({});
    check({u""});
}

TEST_F(ReadBackTest, RandomTitlesReadBackAsPromised) {
    std::mt19937 random(932);
    for (int round = 0; round < 300; ++round) {
        Titles titles(random() % 8);
        for (auto& t : titles)
            t = randomTitle(random, 6);
        check(titles);
        if (HasFailure()) return;
    }
}

TEST_F(ReadBackTest, IndexBytesAreCutIntoLinesAsTheWholeTextWouldBe) {
    // Reading line by line from the bytes must agree with decoding everything and then cutting
    // at CR LF, whatever the bytes: lead bytes before line ends, lone CR and LF, no final CR LF.
    std::mt19937 random(8);
    const char interesting[] = {'\r',   '\n',   'a',    '\x81', '\x82', '\x87', '\xED', '\xFA',
                                '\x40', '\xA0', '\xB1', '\xFC', '\xFF', '\0',   '\x54', '\x4A'};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 24, ' ');
        for (char& b : bytes)
            b = random() % 4 == 0 ? char(random()) : interesting[random() % sizeof interesting];
        ASSERT_EQ(store.decodeIndex(bytes), referenceDecode(codec, bytes))
            << ::testing::PrintToString(bytes);
        const Titles titles{codec.decode(bytes), randomTitle(random, 4)};
        ASSERT_EQ(store.encodeIndex(titles), referenceEncode(codec, titles));
    }
}

TEST(Cp932Codec, ALineReportedPlainDecodesToItselfAndOneLineEnd) {
    Cp932Codec codec;
    std::mt19937 random(60);
    std::string buffer;
    for (int round = 0; round < 5000; ++round) {
        const std::u16string text = randomTitle(random, 5);
        std::string line = "kept";
        const bool plain = codec.encodeLine(text, line);
        ASSERT_EQ(line, "kept" + codec.encode(text) + "\r\n");
        if (plain) {
            ASSERT_EQ(codec.decode(line.substr(4)), text + u"\r\n");
            ASSERT_EQ(text.find(u"\r\n"), std::u16string::npos);
        }
        // Into a kept buffer: the same bytes, whatever the buffer held before.
        ASSERT_EQ(codec.encodeInto(text, buffer), codec.encode(text));
        std::u16string decoded = u"kept";
        codec.decodeAppend(line, decoded);
        ASSERT_EQ(decoded, u"kept" + codec.decode(line));
    }
    // Plain Japanese and ASCII are the common case and must be recognised as such.
    std::string out;
    EXPECT_TRUE(codec.encodeLine(u"会議の資料 meeting 10:00 ｱｲｳ", out));
    EXPECT_FALSE(codec.encodeLine(u"a\r\nb", out));
    EXPECT_FALSE(codec.encodeLine(u"\xDC81", out));
}

// The window: after typing, the list is exactly what the old way (read the file back) shows.
class ReadBackWindowTest : public WindowTest {
  protected:
    Titles readBack() { return w().store().readIndex(); }
};

struct HeardReload : ListBox::Observer {
    std::vector<std::string> events;
    void itemsReset() override { events.push_back("reset"); }
    void itemsReloaded(const std::vector<int>& rows) override {
        std::string e = "reloaded";
        for (int r : rows)
            e += " " + std::to_string(r);
        events.push_back(e);
    }
    void itemAdded(int i) override { events.push_back("added " + std::to_string(i)); }
    void itemRemoved(int i) override { events.push_back("removed " + std::to_string(i)); }
    void itemChanged(int i) override { events.push_back("changed " + std::to_string(i)); }
    void itemSelected(int i) override { events.push_back("selected " + std::to_string(i)); }
};

TEST_F(ReadBackWindowTest, RowsThatReadBackOtherwiseAreShownAsTheyReadBack) {
    // An index edited outside: row 1 holds a kept byte before a pair.
    writeBytes(memo(0), "zero");
    writeBytes(memo(1), "one");
    writeBytes(memo(2), "two");
    writeBytes(indexPath(), "zero\r\n\x81\xFA\x4A\r\ntwo\r\n");
    startAsIs();
    HeardReload heard;
    w().List1.setObserver(&heard);
    w().userSelect(2);
    EXPECT_EQ(items(), readBack());
    EXPECT_EQ(items()[2], u"two");

    // A new memo's title goes into the list as derived; the next save in another memo shows it
    // as it reads back, and tells the front end about that row alone.
    w().choose(Command::New);
    type(u"€");
    EXPECT_EQ(items().back(), u"€");
    heard.events.clear();
    w().userSelect(0);
    EXPECT_EQ(items().back(), u"?");
    EXPECT_EQ(items(), readBack());
    EXPECT_EQ(w().List1.ListIndex(), 0);
    EXPECT_EQ(heard.events, (std::vector<std::string>{"changed 0", "reloaded 3", "selected 0"}));

    // Typing changes the typed row alone; every other row stays as it was.
    heard.events.clear();
    type(u"!");
    EXPECT_EQ(heard.events, (std::vector<std::string>{"changed 0", "reloaded", "selected 0"}));
    EXPECT_EQ(items(), readBack());
    EXPECT_EQ(indexBytes(), codec.encode(u"zero!\r\n" + items()[1] + u"\r\ntwo\r\n?\r\n"));
    w().List1.setObserver(nullptr);
}

TEST(Controls, AReloadOfChangedRowsReplacesThemAndClearsTheSelection) {
    ListBox list;
    list.Reload({u"a", u"b", u"c"});
    list.setSelected(1);
    struct Old : ListBox::Observer {
        std::vector<std::string> events;
        void itemsReset() override { events.push_back("reset"); }
        void itemAdded(int) override {}
        void itemRemoved(int) override {}
        void itemChanged(int) override {}
        void itemSelected(int) override {}
    } old;
    list.setObserver(&old);
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    list.ReloadChanged({{0, u"A"}, {2, u"C"}});
    EXPECT_EQ(list.items(), (Titles{u"A", u"b", u"C"}));
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(clicks, 0);
    // A front end that knows only whole reloads hears one.
    EXPECT_EQ(old.events, std::vector<std::string>{"reset"});
}

}  // namespace
}  // namespace tetomu::test
