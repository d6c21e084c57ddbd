#pragma once
// The window `memo` as a model: its controls, its window variables and every handler, working on
// the controls directly as the program always has, and the rules of when each handler runs. Its
// face is small: start(), one call for each kind of action a person takes, read-only views of the
// controls, and observers. A front end draws the controls, passes each of a person's actions to
// one call, and fills WindowPlatform; every decision about memos is made in here
// (memo_window_*.cpp, one file per feature). The steps on the memo folder are MemoBook's.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/controls.h"
#include "window/handler_trace.h"
#include "window/menu.h"

namespace tetomu {

class FileSystem;
class MemoBook;
class StoreError;
class TextCodec;
class WindowPlatform;

enum class StartResult { Shown, AnotherCopyRunning, Failed };

// The exit status when a start ends the program at once (another copy runs, or it failed);
// none when the window is shown and the program goes on.
std::optional<int> exitStatusOnStart(StartResult result);

class MemoWindow {
  public:
    // How long after a refused save it is tried again, while the person does nothing.
    static constexpr int kSaveRetryMs = 3000;

    MemoWindow(FileSystem& files, const TextCodec& codec, WindowPlatform& platform);
    MemoWindow(const MemoWindow&) = delete;
    MemoWindow& operator=(const MemoWindow&) = delete;
    ~MemoWindow();

    // load: refuses a second copy, brings the folder back in step from the journal, fills
    // the list and shows the window in front. A refused file call shows the run-time error box.
    StartResult start();

    // A person's actions. A refused file call in any handler they raise shows the run-time
    // error box; after it the window takes no more actions.
    void userSelect(int row);
    // A key in the list; the front end says how many rows it shows and which is at the top.
    void userListKey(ListKey key, int rowsPerPage, int topRow);
    // A letter typed in the list: the next title that starts with it is picked.
    void userListLetter(char16_t letter);
    // An edit of the text box, as the span that changed.
    void userEdit(const TextEdit& edit);
    // An input method's event begins: the edits until its composition closes are one change.
    void userCompose();
    // The composition closes, committed or cancelled (then the box gets back what the
    // composition took away, and the memo stays as it was).
    void userCloseComposition(bool committed);
    void userClickCheck();
    void choose(Command command);
    bool ended() const { return ended_; }

    // What the front end draws.
    const ListBox& memoList() const { return memoList_; }
    const TextBox& memoText() const { return memoText_; }
    const CheckBox& arrangeCheck() const { return arrangeCheck_; }
    // The two items of "手前": 0 "常に手前にする", 1 "解除する".
    const MenuItem& inFrontItem(int index) const { return inFrontItems_.at(std::size_t(index)); }
    std::u16string_view arrangeLabel() const { return arrangeLabel_; }

    void observeList(ListBox::Observer* observer) { memoList_.setObserver(observer); }
    void observeText(TextBox::Observer* observer) { memoText_.setObserver(observer); }
    void observeCheck(CheckBox::Observer* observer) { arrangeCheck_.setObserver(observer); }
    void observeMenu(MenuItem::Observer* observer);
    void setTrace(HandlerTrace* trace) { trace_ = trace; }

  private:
    // When an action makes sure that the memo folder is still the one this copy locked: before
    // anything of it is read or written; just before its first write (a keystroke, whose
    // refused look then keeps the text as a refused save does); or never (it touches no file).
    enum class FolderLook { First, BeforeWriting, Never };
    // What the person is doing, for how the program tells them something meanwhile.
    enum class Acting { Nothing, Other, Typing, InputMethod };
    template <class Action>
    void guarded(Action&& action, FolderLook look = FolderLook::First,
                 Acting acting = Acting::Other);
    // Runs the task this long from now, as an action of its own once no action is running.
    void later(int milliseconds, std::function<void()> task);
    void lookAtFolderOnce();

    // Handlers.
    StartResult load();
    void onListPick();
    void onTextChange();
    void onArrangeCheck();
    void onNewMemo();
    void onDeleteMemo();
    void onInFront(int index);
    void onVersion();

    void lookAtTheFolder();

    // Other programs' changes (memo_window_outside.cpp).
    void folderChanged();
    void onFolderChange();
    void reloadWhenIdle();
    void closeMemo();
    bool caughtUpBeforeSaving(int k);
    void keepAsNewMemo(int k);

    // Their paths and steps.
    void openPath();
    void showUnopened(int k, const StoreError& why);
    bool editRefused();
    void arrangePath();
    void createPath();
    void updatePath();
    void deletePath();
    void emptyTextAndDropCreatedMemo();
    void saveMemo(int n);
    bool savedText(int n, bool opening);
    void keepUnsaved(const StoreError& why);
    void retrySave();
    bool savedBeforeLeaving();
    HandlerTrace::Entry entering(const char* handler) { return {trace_, handler}; }

    // A modal message box, shown at once unless a box is up or an input method's event is being
    // handled; the three that the window has always shown, and what the person must answer.
    void closeComposition(bool committed);
    void closeOpenComposition();
    void msgBox(std::u16string_view prompt);
    // The program's own word: a notice that takes no keys while the person types, else a box.
    void tell(std::u16string_view text);
    void tellWhatWaits();
    void applyEdit(const TextEdit& edit);

    const TextCodec& codec_;
    WindowPlatform& platform_;
    HandlerTrace* trace_ = nullptr;
    // A refused file call ended the program: no more actions are taken.
    bool ended_ = false;
    // Set while the text box takes a memo's text just as it was read, for the save that
    // assignment raises: it writes nothing.
    bool openingAsRead_ = false;
    // The message boxes still to show, and whether one is up: a box's own event loop may bring
    // another action, whose box waits in line.
    std::vector<std::u16string> toTell_;
    bool telling_ = false;
    // The picked row whose file was missing or not a plain file when it was picked: its box is
    // empty, and nothing of it has been written.
    std::optional<int> unopened_;
    // Only against the change that the model's own emptying of the box raises for that row.
    bool blanking_ = false;
    // The action being handled, and whether it has made sure of the memo folder.
    Acting acting_ = Acting::Nothing;
    bool folderLooked_ = false;
    // The open memo's text is in the box but not on disk: its save was refused (a file held by
    // another program past the patience, a full disk). The person is told once; the next change,
    // a timer and anything that would take the text out of the box try again.
    bool savePending_ = false;
    bool retryArmed_ = false;
    // Set while a reload picks the open memo's row again: that pick opens nothing.
    bool reloading_ = false;
    // Another program's change came while a composition was open: read again once it closes.
    bool reloadWaits_ = false;
    // The memo's own file refuses it (something else put at its name, a file made read-only):
    // the person may move on, their text kept as a new memo.
    bool pendingOwnFile_ = false;
    // A title derived again on opening that could not be written back has been told.
    bool toldTitleNotWritten_ = false;

    // Controls.
    ListBox memoList_;
    TextBox memoText_;
    CheckBox arrangeCheck_;
    std::u16string_view arrangeLabel_;
    std::array<MenuItem, 2> inFrontItems_;

    // The memo folder's steps; made on start.
    std::unique_ptr<MemoBook> book_;

    // Window variables.
    int openRow_ = 0;
    // Set while the change handler saves: only against the pick that its own re-selection of the
    // list raises, which must not open the memo again.
    bool saving_ = false;
    int rowBeingDeleted_ = 0;
    int swapFirst_ = 0;
    int swapSecond_ = 0;
};

}  // namespace tetomu
