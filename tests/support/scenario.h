#pragma once
// One table of what a person does and what must come of it, run by every driver: the core alone,
// the Qt window on its offscreen platform, the Windows window under Wine. A scenario is a memo
// folder as it starts, a person's actions, and what is expected afterwards: every file of the
// folder byte for byte, the message boxes in order, and the window as the person sees it.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "window/display_text.h"
#include "window/memo_window.h"

namespace tetomu::test {

// What another program does to the memo folder between a person's actions: an editor writing a
// file in place or saving by rename, a file taken away, a row another copy added to the index.
enum class Outside { Write, RenameOver, Remove, AppendToIndex };

// Keys a person presses in the text box.
enum class TextKey { Enter, Backspace, Delete, SelectAll, End, Home };

struct Step {
    // Gone: a file of the folder goes (without a name, the folder goes or comes back), by another
    // program's hand; OutsideFolder: another program makes a folder at a name; NewFolder: the
    // folder replaced. These three are the runner's own. Another: another program changes files
    // (the runner's), then the watcher tells. Wait: the person does nothing for a few seconds, and
    // what waits for time runs.
    // clang-format off
    enum Kind { Type, Commit, Compose, KeyInText, KeyInList, LetterInList, Click, DoubleClick, Drag,
                Tick, Menu, NewFolder, Gone, OutsideFolder, Wait, Another };
    // clang-format on
    Kind kind = Type;
    std::u16string text{};
    std::u16string result{};
    int row = -1;
    int to = -1;
    TextKey textKey = TextKey::End;
    ListKey listKey = ListKey::Down;
    Command command = Command::New;
    Folder folder{};
    Outside outside = Outside::Write;
    // The person's next action comes before the watcher has told the program.
    bool beforeTold = false;
    // A composition left open: its preedit still shows when the next step comes, and the input
    // method commits it (as `result`) when it is told to give it up.
    bool open = false;
};

// Each character one keystroke, as typed; "\n" is the Enter key.
inline Step type(std::u16string text) {
    return {.kind = Step::Type, .text = std::move(text)};
}
// One edit of several characters: a paste, or an input method's commit.
inline Step commit(std::u16string text) {
    return {.kind = Step::Commit, .text = std::move(text)};
}
// An input method's composition in the text box: the preedit grows by one character an event,
// then `result` is committed, or, when `result` is empty, the composition is cancelled (Escape)
// and the focus goes to the list. compose(u"", u"") is a click into the box with the input
// method on: the focus comes with an empty preedit.
inline Step compose(std::u16string preedit, std::u16string result) {
    return {.kind = Step::Compose, .text = std::move(preedit), .result = std::move(result)};
}
inline Step composing(std::u16string preedit) {
    return {.kind = Step::Compose, .text = preedit, .result = preedit, .open = true};
}
inline Step key(TextKey k) {
    return {.kind = Step::KeyInText, .textKey = k};
}
inline Step key(ListKey k) {
    return {.kind = Step::KeyInList, .listKey = k};
}
inline Step letter(char16_t c) {
    return {.kind = Step::LetterInList, .text = {c}};
}
inline Step gone(std::string name) {
    return {.kind = Step::Gone, .text = {name.begin(), name.end()}};
}
inline Step outsideFolder(std::string name) {
    return {.kind = Step::OutsideFolder, .text = {name.begin(), name.end()}};
}
inline Step wait() {
    return {.kind = Step::Wait};
}
inline Step click(int row) {
    return {.kind = Step::Click, .row = row};
}
inline Step doubleClick(int row) {
    return {.kind = Step::DoubleClick, .row = row};
}
// Press on one row, move over the others with the button down, release on the last.
inline Step drag(int from, int to) {
    return {.kind = Step::Drag, .row = from, .to = to};
}
inline Step tick() {
    return {.kind = Step::Tick};
}
inline Step menu(Command c) {
    return {.kind = Step::Menu, .command = c};
}
// Not the person's doing: another program writes these files (AppendToIndex: these bytes go at
// the end of group.gl; Remove: these names go). The watcher then tells the program, as it does
// on each platform, unless the person acts first.
inline Step another(Outside how, Folder files, bool beforeTold = false) {
    return {.kind = Step::Another,
            .folder = std::move(files),
            .outside = how,
            .beforeTold = beforeTold};
}
// Carries out such a step's change on the memo folder, as the program beside this one does.
void anotherProgram(const fs::path& memoDir, const Step& step);
// Not the person's doing in the window: the memo folder moved away while the program runs and
// another put in its place, as a backup restored.
inline Step newFolder(Folder folder) {
    return {.kind = Step::NewFolder, .folder = std::move(folder)};
}

// Posix: not under Wine, where laying out 32767 files takes minutes.
enum class Only { All, Posix, Windows };

// The handlers one step raised, indented by nesting.
using Lines = std::vector<std::string>;

struct Scenario {
    const char* name;
    Only only = Only::All;
    Folder start{};
    bool noMemoFolder = false;
    std::vector<Step> steps{};
    // The whole memo folder afterwards; unset, it is the start folder unchanged. A file whose
    // bytes end as they started must not have been written at all, unless it is named here.
    std::optional<Folder> end{};
    std::vector<std::string> rewritten{};
    std::vector<std::u16string> messages{};
    // Set when a run-time error must end the program: a word its box must hold.
    std::u16string error{};
    // What the window shows. Unset (rows empty), what the end folder holds: the index's titles,
    // and the selected memo's text.
    std::vector<std::u16string> rows{};
    int selected = -1;
    std::optional<std::u16string> text{};
    bool ticked = false;
    bool inFront = true;
    // Set when it matters: whether the text box has the keys afterwards.
    std::optional<bool> textFocused{};
    // The handlers of the last step (of the start, when there are no steps); unset, not looked at.
    std::optional<Lines> trace{};
};

const std::vector<Scenario>& scenarios();

// The window itself, as a person sees it before doing anything. Its caption, its frame and the
// names a screen reader reads are checked on the real window (scripts/check-window.sh,
// scripts/check-a11y.sh).
struct WindowLook {
    // Every caption of the bar and of the drop-down, its shortcut after a tab, and '|'.
    std::u16string menu{};
    // memoList, arrangeCheck, arrangeLabel and memoText: left, top, width and height in pixels at
    // this dpi.
    std::array<std::array<int, 4>, 4> places{};
    int dpi = 96;
    bool radioMarks = false;
    // The focus is in the list and no row looks selected.
    bool focusInList = true;
};

// What a front end does for a person, and what it shows. Each driver is one of these.
class Driver {
  public:
    virtual ~Driver() = default;
    virtual StartResult start(const fs::path& programDirectory) = 0;
    virtual void apply(const Step& step) = 0;
    HandlerTrace& trace() { return trace_; }

    // What the person sees, in the memo's own units (the shown text mapped back).
    virtual std::vector<std::u16string> rows() = 0;
    virtual int selected() = 0;
    virtual std::u16string text() = 0;
    virtual bool ticked() = 0;
    virtual std::array<bool, 2> inFrontMarks() = 0;
    virtual bool inFront() = 0;
    // Every box shown so far, each closed with OK as a person would; the run-time error box too.
    const std::vector<std::u16string>& messages() { return messages_; }
    virtual bool ended() = 0;
    // Whether the text box has the keyboard focus, where there is one.
    virtual std::optional<bool> textFocused() { return std::nullopt; }
    // The window, where there is one.
    virtual std::optional<WindowLook> look() { return std::nullopt; }

  protected:
    HandlerTrace trace_;  // the handlers the window ran
    std::vector<std::u16string> messages_;
};

// A notice that takes no keys, as a driver records it among the boxes.
inline std::u16string noticed(std::u16string_view text) {
    return u"(notice) " + std::u16string(text);
}

// What a box shows read back in the memo's units: a line break, and each symbol the program
// shows for a lone CR, a lone LF and a NUL.
inline std::u16string readBack(std::u16string_view shown) {
    std::u16string out = fromDisplay(shown);
    for (char16_t& c : out)
        c = c == kCrSymbol ? u'\r' : c == kLfSymbol ? u'\n' : c == kNulSymbol ? u'\0' : c;
    return out;
}

// Runs one scenario on a fresh temporary folder and checks everything it expects.
void runScenario(const Scenario& s, Driver& driver);

// Makes every scenario of this platform (of those `only` takes, when given) a test of the suite,
// run by `run` (which makes its driver and calls runScenario). Called before the tests run, as a
// static's initialiser.
bool registerScenarios(const char* suite, void (*run)(const Scenario&),
                       bool (*only)(const Scenario&) = nullptr);

}  // namespace tetomu::test
