#pragma once
// The window `memo` as a model: its controls, its window variables and every handler. The
// handlers work on the controls directly, as the program always has; the code of the memo
// handlers lives in src/operations/, one file per feature. A front end draws the controls,
// passes each of a person's actions to one user*() or choose() call, and fills WindowPlatform.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "store/base_path.h"
#include "store/memo_store.h"
#include "window/controls.h"

namespace tetomu {

class FileSystem;
class TextCodec;
class WindowPlatform;

// Positions are 16-bit in the store's numbering; the list holds at most this many memos.
inline constexpr int kMaxMemos = 32767;

enum class Command { New, Delete, KeepInFront, Release, Version };

enum class StartResult { Shown, AnotherCopyRunning, Failed };

// Records the handlers as they run, indented by nesting depth, for tests and diagnostics.
struct HandlerTrace {
    std::vector<std::string> lines;
    int depth = 0;
    void note(const std::string& what) {
        lines.push_back(std::string(std::size_t(depth) * 2, ' ') + what);
    }
};

class MemoWindow {
  public:
    MemoWindow(FileSystem& files, const TextCodec& codec, WindowPlatform& platform);
    MemoWindow(const MemoWindow&) = delete;
    MemoWindow& operator=(const MemoWindow&) = delete;

    // Start-up: Form_Load, with a refused file call shown as the run-time error box.
    StartResult start();

    // A person's actions. A refused file call in any handler they raise shows the run-time
    // error box; after it the window takes no more actions.
    void userSelect(int index);
    void userEdit(std::u16string text);
    void userClickCheck();
    void choose(Command command);
    bool ended() const { return ended_; }

    // Controls.
    ListBox List1;
    TextBox txtmemo;
    CheckBox Check1;
    const Label Label3{u"整理"};
    std::array<MenuItem, 2> t11;

    // Window variables.
    NativeString basePath;
    int curIndex = 0;
    bool busy = false;
    int delIndex = 0;
    int swapFrom = 0;
    int swapTo = 0;

    // Handlers.
    StartResult Form_Load();
    void List1_Click();
    void txtmemo_Change();
    void Check1_Click();
    void tu1_Click();
    void sa1_Click();
    void t11_Click(int index);
    void v1_Click();

    // Store operations on the list.
    void ReloadList();
    void WriteIndex();
    // WriteIndex then ReloadList, or the same with other titles than the list holds. The list
    // gets what reading the index back would give, without reading it: one copy of the program
    // runs, so the file holds the bytes just written.
    void WriteIndexAndReloadList();
    void WriteIndexAndReloadList(std::vector<std::u16string> titles);

    MemoStore& store() { return store_.value(); }
    HandlerTrace* trace = nullptr;

  private:
    class Entered;

    template <class Action>
    void guarded(Action&& action);

    void openPath();
    void arrangePath();
    void createPath();
    void updatePath();
    void deletePath();
    // Returns the titles as the index it wrote reads back.
    std::vector<std::u16string> swapMemos(int a, int b);
    void emptyTextAndDropCreatedMemo();
    void msgBox(std::u16string_view prompt);

    FileSystem& files_;
    const TextCodec& codec_;
    WindowPlatform& platform_;
    std::optional<MemoStore> store_;
    bool ended_ = false;
};

}  // namespace tetomu
