// The scenarios every driver runs, and the runner that checks them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "store/store_error.h"
#include "support/scenario.h"
#include "window/texts.h"

namespace tetomu::test {

namespace {

using namespace texts;
using namespace std::string_literals;
using L = ListKey;
using T = TextKey;

std::u16string notice(std::u16string lines) {
    return u"memo フォルダが group.gl と合うてへんで！\r\n" + lines +
           u"ファイルはどれもそのままにしてあるで。";
}
// What a start says of a link or a pipe at a memo's name.
std::u16string notAFile(std::u16string name) {
    return notice(u"・" + name + u" がふつうのファイルやないやん\r\n");
}
std::u16string s(std::u16string_view v) {
    return std::u16string(v);
}
std::u16string reasonOf(StoreFault fault) {
    return s(StoreError(fault, 0, {}, {}).reasonText());
}
// As many different characters as asked that the code page cannot hold, from U+0100 on.
std::u16string unheld(int count) {
    std::u16string out;
    for (int i = 0; i < count; ++i)
        out += char16_t(0x100 + i);
    return out;
}
// m0, m1, ... m9, m0, ... as many as asked, then the titles given.
std::vector<std::u16string> titles(int count, std::vector<std::u16string> then = {}) {
    std::vector<std::u16string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(u"m" + std::u16string(1, char16_t(u'0' + i % 10)));
    out.insert(out.end(), then.begin(), then.end());
    return out;
}

// Built when the drivers register their tests, while other files' statics may not be yet: the
// table uses none of its own.
std::vector<Scenario> table() {
    const Lines kOpenTrace = {"onListPick", "  onTextChange", "    onListPick"};
    const Lines kSaveTrace = {"onTextChange", "  onListPick"};
    const Folder abc = memos({u"A", u"B", u"C"});
    const Folder ab = memos({u"A", u"B"});
    // A row whose title is empty: memo 1 holds "B", or nothing.
    const Folder emptyTitle = {rawIndex("A\r\n\r\n"), memo(0, u"A"), memo(1, u"B")};
    // A link or a pipe at 0.txt: told at the start, told when picked, a keystroke refused.
    const std::vector<std::u16string> told0 = {notAFile(u"0.txt"), memoNotAFile(u"0.txt"),
                                               noticed(memoNotAFile(u"0.txt"))};
    const Folder blankRow = {rawIndex("A\r\n\r\n"), memo(0, u"A"), memo(1, u"")};
    // clang-format off
    // What sync clients and the system leave beside the memos.
    const Folder syncFiles = {{".stfolder", ""}, {".syncthing.0.txt.tmp", "x"}, {"desktop.ini", "d"},
        {"0.sync-conflict-20250101-101010-ABCDEFG.txt", "c"}, {"Thumbs.db", "t"}, {"~$memo.txt", "o"},
        {".dropbox", "{}"}, {"0-MACHINE.txt", "m"}, {"0 (1).txt", "1"}};
    return {
        // Start-up.
        {.name = "AMissingIndexIsCreatedEmpty", .end = Folder{rawIndex("")}},
        {.name = "AMissingMemoFolderIsARuntimeError", .noMemoFolder = true, .error = u"memo"},
        {.name = "AnIndexWithLfLineEndsReadsOneTitleALine", .start = {rawIndex("A\nB\n"), memo(0,
         u"A"), memo(1, u"B")}, .rows = {u"A", u"B"}, .trace = Lines{"load"}},
        {.name = "AMemoWithoutItsFileIsToldAndTheFirstKeystrokeWritesIt", .start = without(abc,
         {"1.txt"}), .steps = {click(1), type(u"x")}, .end = memos({u"A", u"x", u"C"}),
         .messages = {notice(u"・1.txt がないやん\r\n"), memoMissing(u"1.txt")}, .selected = 1},
        {.name = "AMemoWithoutItsFilePickedByKeyIsDeletedAndTheRestRenumbered",
         .start = without(abc, {"1.txt"}), .steps = {key(L::Down), key(L::Down),
         menu(Command::Delete)}, .end = memos({u"A", u"C"}),
         .messages = {notice(u"・1.txt がないやん\r\n"), memoMissing(u"1.txt")}},
        {.name = "AFileThatGoesWhileRunningIsToldAndWrittenAgain", .start = abc, .steps = {click(1),
         gone("1.txt"), click(1), type(u"B")}, .rewritten = {"1.txt"},
         .messages = {memoMissing(u"1.txt")}, .selected = 1},
        // Told once; another pick waits for the save; the timer saves the whole text once it can.
        {.name = "ARefusedSaveKeepsTheTextUntilItCanBeSaved", .start = ab, .steps = {click(0),
         outsideFolder("0.txt.saving"), key(T::End), type(u"xy"), click(1), gone("0.txt.saving"),
         wait()}, .end = memos({u"Axy", u"B"}), .messages = {noticed(saveRefused(u"0.txt",
         u"0.txt.saving", reasonOf(StoreFault::NotAFile))), s(kStillUnsaved)}, .selected = 0},
        // The memo's own file refuses the save for good: moving on keeps the text as a new memo.
        {.name = "ATextItsFileRefusesBecomesANewMemoOnMovingOn", .start = ab, .steps = {click(0),
         key(T::End), gone("0.txt"), outsideFolder("0.txt"), type(u"x"), click(1)},
         .end = Folder{{"0.txt", "<other>"}, memo(1, u"B"), memo(2, u"Ax"), index({u"A", u"B",
         u"Ax"})}, .messages = {noticed(saveRefused(u"0.txt", u"0.txt",
         reasonOf(StoreFault::NotAFile))), keptAsNewMemo(u"0.txt", u"2.txt")}, .selected = 2},
        {.name = "FilesPastTheIndexAreTakenInByTheNextNewMemo", .start = {index({u"A", u"B", u"C"}),
         memo(0, u"A"), memo(2, u"C"), memo(3, u"D"), memo(4, u"E"), memo(7, u"G"), memo(50000,
         u"Z")}, .steps = {type(u"x")}, .end = Folder{index({u"A", u"B", u"C", u"D", u"E", u"x"}),
         memo(0, u"A"), memo(2, u"C"), memo(3, u"D"), memo(4, u"E"), memo(5, u"x"), memo(7, u"G"),
         memo(50000, u"Z")}, .messages = {notice(u"・1.txt がないやん\r\n・3.txt、4.txt が一覧にないやん"
         u"（新しいメモを作るときに一覧に入れるで）\r\n")}, .selected = 5},
        {.name = "FilesPastAnEmptyIndexAreTold", .start = {rawIndex(""), memo(0, u"A")},
         .messages = {notice(u"・0.txt が一覧にないやん（新しいメモを作るときに一覧に入れるで）\r\n")}},
        {.name = "ASwapWithAMemoWithoutItsFileIsToldAndChangesNothing", .start = without(abc,
         {"1.txt"}), .steps = {click(0), tick(), click(1)},
         .messages = {notice(u"・1.txt がないやん\r\n"), cannotSwap(u"1.txt"), memoMissing(u"1.txt")},
         .selected = 1},
        {.name = "ALeftOverTempFileBlocksTheSwapAndIsKept", .start = with(ab, {{"temp.txt", "T"}}),
         .steps = {click(0), tick(), click(1)}, .messages = {notice(u"・temp.txt が残ってるやん\r\n"),
         s(kTempLeftOver)}, .selected = 1},
        {.name = "LeftOversOfASaveCutShortGoAndNothingElseDoes", .start = with(ab, {{"1.txt.saving",
         "half"}, {"group.gl.saving", "half"}, {"temp.txt", "T"}, {"notes.txt.saving", "theirs"},
         {"readme", "theirs"}}), .end = with(ab, {{"notes.txt.saving", "theirs"}, {"readme",
         "theirs"}, {"temp.txt", "T"}}),
         .messages = {u"memo フォルダが group.gl と合うてへんで！\r\n・temp.txt が残ってるやん\r\n"
         u"保存の途中で残ったファイルは消したけど、ほかはどれもそのままにしてあるで。"}},
        {.name = "LeftOversOfAReplaceCutShortArePutBack", .start = {{"group.gl.replaced",
         index({u"A", u"B"}).second}, {"group.gl.saving", "half"}, memo(0, u"A"), {"0.txt.replaced",
         "old"}, {"1.txt.replaced", "B"}, {"1.txt.saving", "B!"}}, .end = ab},
        // What touches no file goes on; the first save ends the program.
        {.name = "AFolderPutInPlaceOfTheMemoFolderIsNeverWrittenOver", .start = ab,
         .steps = {click(0), key(T::End), type(u"a"), newFolder(abc), menu(Command::Version),
         menu(Command::Release), type(u"b")}, .end = abc, .messages = {s(kVersion)},
         .error = u"入れ替わり"},
        {.name = "AMemoFolderThatCannotBeSeenIsToldAsSuchNotAsReplaced", .start = ab,
         .steps = {click(0), gone(""), type(u"b"), gone(""), wait()}, .end = memos({u"bA", u"B"}),
         .messages = {noticed(saveRefused(u"0.txt", u"memo",
         reasonOf(StoreFault::FolderUnreachable)))}, .selected = 0},
        {.name = "ALinkAtTheIndexIsRefusedNeverBroughtToLife", .only = Only::Posix,
         .start = with(ab, {{"group.gl", "<link>made"}}), .error = u"group.gl"},
        {.name = "APipeAtTheIndexIsRefusedNeverWaitedOn", .only = Only::Posix, .start = with(ab,
         {{"group.gl", "<pipe>"}}), .error = u"group.gl"},
        {.name = "ALinkAtAMemoIsToldAndNeverWrittenThrough", .only = Only::Posix, .start = with(ab,
         {{"0.txt", "<link>readme"}, {"readme", "theirs"}}), .steps = {click(0), type(u"x")},
         .messages = told0, .selected = 0, .text = u""},
        {.name = "APipeAtAMemoIsToldAndDeletedAsAName", .only = Only::Posix, .start = with(ab,
         {{"0.txt", "<pipe>"}}), .steps = {click(0), type(u"x"), menu(Command::Delete)},
         .end = memos({u"B"}), .messages = told0},
        {.name = "APipeAtTheNextMemoIsNeverWaitedOn", .only = Only::Posix, .start = with(ab,
         {{"2.txt", "<pipe>"}}), .steps = {commit(u"new")}, .messages = {notAFile(u"2.txt"),
         noticed(cannotCreate(u"2.txt"))}, .text = u"new"},
        {.name = "ASaveNeverWritesThroughALinkAtItsSiblingName", .only = Only::Posix,
         .start = with(ab, {{"0.txt.saving", "<link>readme"}, {"group.gl.saving", "<link>readme"},
         {"readme", "theirs"}}), .steps = {click(0), key(T::End), type(u"!")},
         .messages = {noticed(saveRefused(u"0.txt", u"0.txt.saving",
         reasonOf(StoreFault::NotAFile)))}, .selected = 0, .text = u"A!"},
        {.name = "AnUpperCaseNameIsTheSameMemo", .only = Only::Windows, .start = {index({u"A", u"B",
         u"C"}), memo(0, u"A"), memo(1, u"B"), {"2.TXT", "C"}}, .steps = {click(2)}, .selected = 2,
         .text = u"C"},

        // Typing saves.
        {.name = "TypingIntoAnEmptyFolderCreatesMemoZero", .start = memos({}), .steps = {type(u"a"),
         type(u"あ")}, .end = memos({u"aあ"}), .selected = 0, .trace = kSaveTrace},
        {.name = "EnterFirstGivesTempThenTheTitle", .start = memos({}), .steps = {key(T::Enter),
         type(u"b")}, .end = memos({u"\r\nb"}), .selected = 0},
        {.name = "SixtyLineBreaksGiveTemp", .start = memos({}), .steps = {commit(repeat(u"\r\n", 30)
         + u"after")}, .end = memos({repeat(u"\r\n", 30) + u"after"}), .selected = 0},
        {.name = "TypingInAnOpenMemoRewritesOnlyItsFileAndLine", .start = abc, .steps = {click(1),
         key(T::End), type(u"!")}, .end = memos({u"A", u"B!", u"C"}), .selected = 1,
         .trace = kSaveTrace},
        {.name = "EmptyingAMemoDeletesItAndRenumbers", .start = abc, .steps = {click(1),
         key(T::SelectAll), key(T::Delete)}, .end = memos({u"A", u"C"})},
        {.name = "EmptyingAMemoBeforeAMissingFileDeletesNothing", .start = without(abc, {"2.txt"}),
         .steps = {click(0), key(T::SelectAll), key(T::Delete)},
         .messages = {notice(u"・2.txt がないやん\r\n"), noticed(kCannotDelete)}, .selected = 0},
        {.name = "EmptyingTheOnlyMemoLeavesAnEmptyIndex", .start = memos({u"only"}),
         .steps = {click(0), key(T::SelectAll), key(T::Backspace)}, .end = memos({})},
        {.name = "MemoTenIsTenDotTxt", .start = memos(titles(10)), .steps = {type(u"t")},
         .end = memos(titles(10, {u"t"})), .selected = 10},
        {.name = "OpeningAnEmptyTitleCopiesTheMemoToTheEnd", .start = emptyTitle,
         .steps = {click(1)}, .end = Folder{rawIndex("A\r\n\r\nB\r\n"), memo(0, u"A"), memo(1,
         u"B"), memo(2, u"B")}, .selected = 2},
        {.name = "AFullListCreatesNothingAndSaysSo", .only = Only::Posix,
         .start = memos(titles(kMaxMemos)), .steps = {type(u"x")}, .messages = {noticed(kListFull)},
         .text = u"x"},

        // Every byte the person did not touch stays.
        // A lone CR and LF, kept bytes, a pair the code page also writes otherwise, a NUL.
        {.name = "BytesTheBoxShowsOtherwiseSurviveAnEditElsewhere", .start = {rawIndex("a\rb\nc\x80"
         "x\xED\x40\0d\r\n"s), rawMemo(0, "a\rb\nc\x80x\xED\x40\0d"s)}, .steps = {click(0),
         key(T::End), type(u"z")}, .end = Folder{rawIndex("a\rb\nc\x80x\xFA\x5C\0dz\r\n"s),
         rawMemo(0, "a\rb\nc\x80x\xED\x40\0dz"s)}, .selected = 0},
        {.name = "TheBoxsMarksTypedAreCharactersLikeAnyOther", .start = memos({}),
         .steps = {commit(u"a⇣b⇠c␀d")}, .end = memos({u"a?b?c?d"}),
         .messages = {noticed(u"「⇣」「⇠」「␀」は保存できへん字やから「?」にしたで！")}, .selected = 0},
        {.name = "AStrayLeadByteBecomesAQuestionMarkNotTheLetterTypedAfterIt",
         .start = {rawIndex("a\x82\r\n"), rawMemo(0, "a\x82")}, .steps = {click(0), key(T::End),
         type(u"bc")}, .end = Folder{rawIndex("a?bc\r\n"), rawMemo(0, "a?bc")},
         .messages = {noticed(u"ファイルにあった半端なバイト（82）は次の字とくっつくから「?」にしたで！")}, .selected = 0},
        {.name = "AFewOfManyCharactersTheCodePageCannotHoldAreNamed", .start = memos({}),
         .steps = {commit(unheld(400))}, .end = memos({std::u16string(400, u'?')}),
         .messages = {noticed(u"「Ā」「ā」「Ă」「ă」「Ą」ほか 395 字は保存できへん字やから「?」にしたで！")}, .selected = 0},
        {.name = "LookAlikesAreStoredSilently", .start = memos({}), .steps = {commit(u"10〜12−3¥")},
         .end = Folder{rawIndex("10\x81\x60" "12\x81\x7C" "3\\\r\n"), rawMemo(0, "10\x81\x60"
         "12\x81\x7C" "3\\")}, .selected = 0},
        {.name = "RetypingASelectedCharacterIsAChange", .start = ab, .steps = {click(0), tick(),
         key(T::SelectAll), type(u"A")}, .messages = {s(kSameOneClicked)}, .selected = 0,
         .trace = Lines{"onTextChange", "  onListPick", "    MsgBox", "    onArrangeCheck"}},

        // An input method: a composition is one change, and what changes nothing is no edit.
        {.name = "ACompositionIsSavedOnceAtItsCommit", .start = memos({}), .steps = {compose(u"きょう",
         u"今日"), compose(u"は", u"は")}, .end = memos({u"今日は"}), .selected = 0, .trace = kSaveTrace},
        {.name = "AClickIntoTheBoxWithTheInputMethodOnMakesNoMemo", .start = ab,
         .steps = {compose(u"", u"")}, .trace = Lines{}},
        {.name = "ACancelledCompositionOverASelectionChangesNothing", .start = ab,
         .steps = {click(1), key(T::SelectAll), compose(u"あ", u"")}, .selected = 1,
         .trace = Lines{}},
        {.name = "ReplacingAWholeMemoByACompositionKeepsItInPlace", .start = abc,
         .steps = {click(0), key(T::SelectAll), compose(u"えっくす", u"X")}, .end = memos({u"X", u"B",
         u"C"}), .selected = 0, .trace = kSaveTrace},
        // 𠮷 is a pair, and not in the code page: one "?".
        {.name = "APairTypedIsOneCharacter", .start = ab, .steps = {click(0), key(T::End),
         type(u"𠮷")}, .end = memos({u"A?", u"B"}), .messages = {noticed(u"「𠮷」は保存できへん字やから「?」にしたで！")},
         .selected = 0, .trace = Lines{"onTextChange", "  onListPick", "Notice"}},
        {.name = "AWordWithAPairIsOneEdit", .start = ab, .steps = {click(0), key(T::End),
         compose(u"よしだ", u"𠮷田")}, .end = memos({u"A?田", u"B"}),
         .messages = {noticed(u"「𠮷」は保存できへん字やから「?」にしたで！")}, .selected = 0,
         .trace = Lines{"onTextChange", "  onListPick", "Notice"}},
        {.name = "AWordPredictedAtTheRightEdgeIsShownWhole", .start = memos({repeat(u"x", 36)}),
         .steps = {click(0), key(T::End), compose(u"あ",
         u"あいうえおかきくけこ")}, .end = memos({repeat(u"x", 36) + u"あいうえおかきくけこ"}), .selected = 0},
        {.name = "AWordGoesIntoTheMemoItWasTypedIn", .start = ab, .steps = {click(0), key(T::End),
         compose(u"かき", u"柿"), click(1)}, .end = memos({u"A柿", u"B"}), .selected = 1},

        // A composition still open when New or Delete acts is committed into its own memo first.
        {.name = "ACompositionOpenAtNewStaysInItsMemo", .start = ab, .steps = {click(0),
         key(T::End), composing(u"てすと"), menu(Command::New)}, .end = memos({u"Aてすと", u"B"}),
         .textFocused = true},
        {.name = "ACompositionOpenAtDeleteGoesWithItsMemo", .start = ab, .steps = {click(1),
         key(T::End), composing(u"てすと"), menu(Command::Delete)}, .end = memos({u"A"})},
        {.name = "NewLetsGoOfAMemoWhoseFileIsMissingAndGivesTheBoxTheKeys", .start = without(ab,
         {"1.txt"}), .steps = {click(1), menu(Command::New)},
         .messages = {notice(u"・1.txt がないやん\r\n"), memoMissing(u"1.txt")}, .textFocused = true},

        // Opening a memo.
        {.name = "OpeningAMemoWritesNothingWhenItIsTheSame", .start = abc, .steps = {click(1)},
         .selected = 1, .trace = kOpenTrace},
        {.name = "ARowEditedOutsideIsDerivedAgainOnOpening", .start = {index({u"old"}), memo(0,
         u"new")}, .steps = {click(0)}, .end = memos({u"new"}), .selected = 0},
        {.name = "TwoMemosWithTheSameTextSwitchWithoutWriting", .start = memos({u"s", u"s"}),
         .steps = {click(0), click(1)}, .selected = 1, .trace = Lines{"onListPick"}},

        // Arrange mode.
        {.name = "TickingWithNothingSelectedUnticksBeforeTheMessage", .start = ab,
         .steps = {tick()}, .messages = {s(kNothingToArrange)}, .trace = Lines{"onArrangeCheck",
         "  onArrangeCheck", "  MsgBox"}},
        {.name = "AnEmptyTitleIsAsNothingSelected", .start = blankRow, .steps = {click(1), tick(),
         menu(Command::Delete)}, .messages = {s(kNothingToArrange), s(kNothingToDelete)},
         .selected = 1},
        {.name = "ClickingTheFirstPickAgainChangesNothing", .start = ab, .steps = {click(0), tick(),
         click(0)}, .messages = {s(kSameOneClicked)}, .selected = 0, .trace = Lines{"onListPick",
         "  MsgBox", "  onArrangeCheck"}},
        {.name = "SwappingFirstAndLastExchangesFilesAndRows", .start = abc, .steps = {click(0),
         tick(), click(2)}, .end = memos({u"C", u"B", u"A"})},
        {.name = "EqualAndTempTitlesAreSwappedByPosition", .start = memos({u"s", u"temp", u"s"}),
         .steps = {click(0), tick(), click(1)}, .end = memos({u"temp", u"s", u"s"})},
        {.name = "TypingInTheFirstPickEndsArrangeModeAndSaves", .start = ab, .steps = {click(0),
         tick(), key(T::End), type(u"1"), type(u"2")}, .end = memos({u"A12", u"B"}),
         .messages = {s(kSameOneClicked)}, .selected = 0, .trace = kSaveTrace},
        {.name = "AnArrowKeyIsTheSecondPick", .start = ab, .steps = {click(0), tick(),
         key(L::Down)}, .end = memos({u"B", u"A"})},
        {.name = "ANewMemoTypedInArrangeModeIsSwappedWithTheFirstPick", .start = abc,
         .steps = {click(1), tick(), menu(Command::Delete), type(u"x")}, .end = memos({u"A", u"x",
         u"C"})},
        {.name = "ASwapWithAnEmptyBoxStopsAfterTheExchange", .start = abc, .steps = {click(0),
         tick(), menu(Command::Delete), click(1)}, .end = memos({u"C", u"B"})},
        {.name = "TheMemoThatMovedUpIntoTheFirstPickIsLoaded", .start = ab, .steps = {click(0),
         tick(), menu(Command::Delete), click(0)}, .end = memos({u"B"}),
         .messages = {s(kSameOneClicked)}, .selected = 0},
        {.name = "AFirstPickThatIsGoneSaysSo", .start = abc, .steps = {click(2), tick(),
         menu(Command::Delete), click(0)}, .end = ab, .messages = {s(kFirstPickGone)},
         .selected = 0},
        {.name = "NewInArrangeModeEndsItAndLosesNothing", .start = ab, .steps = {click(0), tick(),
         menu(Command::New)}, .rewritten = {"group.gl"}},
        {.name = "ADragAcrossRowsIsOnePick", .start = abc, .steps = {drag(0, 2)}, .selected = 0,
         .trace = kOpenTrace},
        {.name = "AClickThatMovesInArrangeModeIsOneSwap", .start = abc, .steps = {click(0), tick(),
         drag(1, 1)}, .end = memos({u"B", u"A", u"C"})},
        {.name = "ADoubleClickInArrangeModeIsOneSwap", .start = abc, .steps = {click(0), tick(),
         doubleClick(1)}, .end = memos({u"B", u"A", u"C"})},

        // New and Delete.
        {.name = "NewWithAnEmptyBoxChangesNothing", .start = ab, .steps = {menu(Command::New)},
         .trace = Lines{"onNewMemo"}},
        {.name = "NewWithAMemoOpenLeavesTheStoreAsItWas", .start = ab, .steps = {click(1),
         menu(Command::New)}, .rewritten = {"group.gl"}, .trace = Lines{"onNewMemo",
         "  onTextChange", "    onListPick"}},
        {.name = "DeleteWithNothingSelectedOnlySaysSo", .start = ab,
         .steps = {menu(Command::Delete)}, .messages = {s(kNothingToDelete)}},
        {.name = "TheVersionBoxHasTwoLines", .start = ab, .steps = {menu(Command::Version)},
         .messages = {u"作者：ぺぽ\r\nバージョン：4"}},
        {.name = "ReleaseMovesTheCheckMark", .start = ab, .steps = {menu(Command::Release)},
         .inFront = false},
        {.name = "KeepInFrontBringsItBack", .start = ab, .steps = {menu(Command::Release),
         menu(Command::KeepInFront)}},

        // Other programs beside this one: what they wrote is never written over.
        {.name = "AnEditorsSaveIsReadAgainAndTheReloadWritesNothing", .start = ab,
         .steps = {click(0), another(Outside::Write, {memo(0, u"A vim")})}, .end = with(ab, {memo(0,
         u"A vim")}), .selected = 0},
        {.name = "TypingGoesOnInTheTextAnEditorSavedByRename", .start = ab, .steps = {click(0),
         another(Outside::RenameOver, {memo(0, u"A2")}), key(T::End), type(u"!")},
         .end = memos({u"A2!", u"B"}), .selected = 0},
        {.name = "ACheckoutKeepsTheOpenMemoPickedByNumber", .start = abc, .steps = {click(1),
         another(Outside::RenameOver, memos({u"a", u"b", u"c", u"d"}))}, .end = memos({u"a", u"b",
         u"c", u"d"}), .selected = 1},
        {.name = "AMemoRemovedWithItsRowIsNotWrittenBack", .start = abc, .steps = {click(2),
         another(Outside::Remove, {memo(2, u"")}, true), another(Outside::RenameOver, {index({u"A",
         u"B"})})}, .end = ab},
        {.name = "AMemoChangedElsewhereIsNotDeletedByEmptyingIt", .start = ab, .steps = {click(0),
         key(T::SelectAll), another(Outside::Write, {memo(0, u"theirs")}, true), key(T::Delete)},
         .end = with(ab, {memo(0, u"theirs")}),
         .messages = {noticed(notDeletedChangedElsewhere(u"0.txt"))}, .selected = 0},
        {.name = "AChangeBeforeAKeystrokesSaveKeepsBothTextsAndSaysSo", .start = ab,
         .steps = {click(0), key(T::End), another(Outside::Write, {memo(0, u"theirs")}, true),
         type(u"x")}, .end = Folder{index({u"A", u"B", u"Ax"}), memo(0, u"theirs"), memo(1, u"B"),
         memo(2, u"Ax")}, .messages = {noticed(changedElsewhere(u"0.txt", u"2.txt"))},
         .selected = 2},
        {.name = "TheSameBytesPutBackAreNoChange", .start = ab, .steps = {click(0), key(T::End),
         another(Outside::RenameOver, {memo(0, u"A")}, true), type(u"x")}, .end = memos({u"Ax",
         u"B"}), .selected = 0},
        {.name = "RowsAnotherCopyAddedStayWhenAKeystrokeWritesTheIndex", .start = ab,
         .steps = {click(0), key(T::End), another(Outside::Write, {memo(2, u"C")}, true),
         another(Outside::AppendToIndex, {{"group.gl", "C\r\n"}}, true), type(u"x")},
         .end = memos({u"Ax", u"B", u"C"}), .selected = 0},
        {.name = "RowsAnotherCopyAddedStayWhenOpeningWritesATitle", .start = {index({u"old", u"B"}),
         memo(0, u"new"), memo(1, u"B")}, .steps = {another(Outside::Write, {memo(2, u"C")}, true),
         another(Outside::AppendToIndex, {{"group.gl", "C\r\n"}}, true), click(0)},
         .end = memos({u"new", u"B", u"C"}), .selected = 0},
        {.name = "ASyncClientsOwnFilesAreNeverTouchedNorTold", .start = with(ab, syncFiles),
         .steps = {type(u"x")}, .end = with(memos({u"A", u"B", u"x"}), syncFiles), .selected = 2},

        // Keys in the list.
        {.name = "TheFirstDownOpensMemoZero", .start = abc, .steps = {key(L::Down)}, .selected = 0},
        {.name = "UpFromNothingOpensMemoZero", .start = abc, .steps = {key(L::Up)}, .selected = 0},
        {.name = "EndOpensTheLastAndHomeTheFirst", .start = abc, .steps = {key(L::End),
         key(L::Home)}, .selected = 0},
        {.name = "ALetterPicksTheNextTitleStartingWithIt", .start = memos({u"apple", u"Banana",
         u"avocado", u"cherry"}), .steps = {letter(u'a'), letter(u'A'), letter(u'b'), letter(u'a')},
         .selected = 2, .trace = kOpenTrace},
        {.name = "AKeyThatDoesNotMoveIsNoPick", .start = abc, .steps = {click(2), key(L::End)},
         .selected = 2, .trace = Lines{}},
    };
    // clang-format on
}

}  // namespace

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> all = table();
    return all;
}

// The window as it starts: the same in both front ends.
void checkLook(const WindowLook& look, bool boxShown) {
    EXPECT_EQ(look.menu, u"新規|削除|手前|バージョン|常に手前にする\tCtrl+F7|解除する\tCtrl+F8|");
    if (look.dpi == 96) {
        const std::array<std::array<int, 4>, 4> places = {
            {{0, 16, 113, 244}, {232, 0, 17, 17}, {200, 3, 25, 17}, {120, 16, 233, 249}}};
        EXPECT_EQ(look.places, places);
    }
    EXPECT_FALSE(look.radioMarks);
    // A box shown at the start takes the focus with it.
    EXPECT_TRUE(boxShown || look.focusInList);
}

// As the programs beside this one change a file: in place (the same file, as vim or `cat >`),
// through a new file renamed over it (editors that save by rename, git, rsync), or away.
void anotherProgram(const fs::path& memoDir, const Step& step) {
    for (const auto& [name, bytes] : step.folder) {
        const fs::path at = memoDir / name;
        switch (step.outside) {
            case Outside::Write:
                writeBytes(at, bytes);
                break;
            case Outside::RenameOver:
                writeBytes(memoDir / (name + ".new"), bytes);
                fs::rename(memoDir / (name + ".new"), at);
                break;
            case Outside::Remove:
                fs::remove(at);
                break;
            case Outside::AppendToIndex:
                std::ofstream(at, std::ios::binary | std::ios::app)
                    .write(bytes.data(), std::streamsize(bytes.size()));
                break;
        }
    }
}

// The window shows what the folder holds: the index's titles, and the selected memo's text.
std::vector<std::u16string> titlesIn(const Folder& folder) {
    const auto index = folder.find("group.gl");
    const std::u16string text = Cp932Codec().decode(index == folder.end() ? "" : index->second);
    std::vector<std::u16string> titles;
    for (std::size_t at = 0, end; (end = text.find(u"\r\n", at)) != text.npos; at = end + 2)
        titles.push_back(text.substr(at, end - at));
    return titles;
}
std::u16string textIn(const Folder& folder, int selected) {
    const auto file = folder.find(std::to_string(selected) + ".txt");
    return file == folder.end() ? u"" : Cp932Codec().decode(file->second);
}

void runScenario(const Scenario& s, Driver& driver) {
    TempDir dir;
    const fs::path memoDir =
        s.noMemoFolder ? dir.path() / "memo" : makeMemoFolder(dir.path(), s.start);
    // A file whose bytes stay must not even be written again: a folder that may only be read
    // can still be browsed.
    std::map<std::string, fs::file_time_type> written;
    for (const auto& [name, bytes] : s.start)
        if (fs::is_regular_file(fs::symlink_status(memoDir / name)))
            written[name] = fs::last_write_time(memoDir / name);
    const StartResult started = driver.start(dir.path());
    const fs::path away = dir.path() / "memo.away";
    for (const Step& step : s.steps) {
        driver.trace().lines.clear();
        if (step.kind == Step::Gone && step.text.empty()) {
            // Without a name, the memo folder itself goes (a stick pulled), or comes back.
            fs::exists(memoDir) ? fs::rename(memoDir, away) : fs::rename(away, memoDir);
            continue;
        }
        if (step.kind == Step::Gone || step.kind == Step::OutsideFolder) {
            const fs::path at = memoDir / fs::path(step.text);
            step.kind == Step::Gone ? fs::remove(at) : fs::create_directory(at);
            continue;
        }
        if (step.kind == Step::Another) {
            anotherProgram(memoDir, step);
            for (const auto& [name, bytes] : step.folder)
                if (fs::exists(memoDir / name)) written[name] = fs::last_write_time(memoDir / name);
        }
        if (step.kind != Step::NewFolder) {
            driver.apply(step);
            continue;
        }
        fs::rename(memoDir, dir.path() / "memo.old");
        makeMemoFolder(dir.path(), step.folder);
        for (const auto& [name, bytes] : step.folder)
            written[name] = fs::last_write_time(memoDir / name);
    }

    const Folder& end = s.end ? *s.end : s.start;
    if (s.noMemoFolder) {
        EXPECT_FALSE(fs::exists(memoDir));
    } else {
        EXPECT_EQ(folderBytes(memoDir), end);
        for (const auto& [name, bytes] : end) {
            const auto was = s.start.find(name);
            if (was == s.start.end() || was->second != bytes || !written.count(name)) continue;
            if (std::count(s.rewritten.begin(), s.rewritten.end(), name)) continue;
            EXPECT_EQ(fs::last_write_time(memoDir / name), written[name]) << name << " written";
        }
    }
    std::vector<std::u16string> messages = driver.messages();
    if (!s.error.empty()) {
        EXPECT_TRUE(driver.ended());
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages.back().find(s.error), std::u16string::npos);
        messages.pop_back();
        EXPECT_EQ(messages, s.messages);
        return;
    }
    EXPECT_EQ(started, StartResult::Shown);
    EXPECT_FALSE(driver.ended());
    EXPECT_EQ(messages, s.messages);
    EXPECT_EQ(driver.rows(), s.rows.empty() ? titlesIn(end) : s.rows);
    EXPECT_EQ(driver.selected(), s.selected);
    EXPECT_EQ(driver.text(), s.text ? *s.text : textIn(end, s.selected));
    EXPECT_EQ(driver.ticked(), s.ticked);
    if (const std::optional<bool> focused = driver.textFocused(); focused && s.textFocused) {
        EXPECT_EQ(*focused, *s.textFocused);
    }
    EXPECT_EQ(driver.inFront(), s.inFront);
    EXPECT_EQ(driver.inFrontMarks(), (std::array<bool, 2>{s.inFront, !s.inFront}));
    if (s.trace) {
        EXPECT_EQ(driver.trace().lines, *s.trace);
    }
    if (const auto look = driver.look(); look && s.steps.empty())
        checkLook(*look, !messages.empty());
}

bool registerScenarios(const char* suite, void (*run)(const Scenario&),
                       bool (*only)(const Scenario&)) {
#ifdef _WIN32
    const Only other = Only::Posix;
#else
    const Only other = Only::Windows;
#endif
    struct Test : testing::Test {
        Test(void (*r)(const Scenario&), const Scenario& sc) : run(r), s(sc) {}
        void TestBody() override { run(s); }
        void (*run)(const Scenario&);
        const Scenario& s;
    };
    for (const Scenario& s : scenarios()) {
        if (s.only == other || (only && !only(s))) continue;
        testing::RegisterTest(suite, s.name, nullptr, nullptr, __FILE__, __LINE__,
                              [run, &s]() -> testing::Test* { return new Test(run, s); });
    }
    return true;
}

}  // namespace tetomu::test
