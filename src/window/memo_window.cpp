#include "window/memo_window.h"

#include <algorithm>
#include <utility>

#include "store/store_error.h"
#include "window/memo_book.h"
#include "window/texts.h"
#include "window/window_platform.h"

namespace tetomu {

MemoWindow::MemoWindow(FileSystem& files, const TextCodec& codec, WindowPlatform& platform)
    : codec_(codec),
      platform_(platform),
      memoList_(codec),
      arrangeLabel_(texts::kArrangeLabel),
      book_(std::make_unique<MemoBook>(files, codec, memoList_)) {
    memoList_.onClick = [this] { onListPick(); };
    // The box emptied for a memo that could not be opened is no change of that memo.
    memoText_.onChange = [this] {
        if (!blanking_) onTextChange();
    };
    arrangeCheck_.onClick = [this] { onArrangeCheck(); };
}

MemoWindow::~MemoWindow() = default;

void MemoWindow::observeMenu(MenuItem::Observer* observer) {
    for (auto& item : inFrontItems_)
        item.setObserver(observer);
}

template <class Action>
void MemoWindow::guarded(Action&& action, FolderLook look, Acting acting) {
    if (ended_) return;
    struct Acted {
        Acting& now;
        Acting before;
        ~Acted() { now = before; }
    } acted{acting_, std::exchange(acting_, acting)};
    try {
        // Once for each of the person's actions, before anything of it is written.
        folderLooked_ = look != FolderLook::BeforeWriting;
        if (look == FolderLook::First) book_->mustBeSameFolder();
        action();
    } catch (const StoreError& error) {
        // Nothing is rolled back here: every file that was written is whole, the journal names
        // any step that was cut short, and the program ends as it always has on a refused call.
        ended_ = true;
        // The error box is the last: no other box is shown over it or after it.
        toTell_.clear();
        if (trace_) trace_->note("runtime error");
        platform_.showRuntimeError(error.boxText());
    }
}

StartResult MemoWindow::start() {
    StartResult result = StartResult::Failed;
    guarded([&] { result = load(); });
    return result;
}

void MemoWindow::lookAtFolderOnce() {
    if (!std::exchange(folderLooked_, true)) book_->mustBeSameFolder();
}

void MemoWindow::userSelect(int row) {
    guarded([&] {
        if (savedBeforeLeaving()) memoList_.userSelect(row);
    });
}

void MemoWindow::userListLetter(char16_t letter) {
    const int row = memoList_.rowForLetter(letter);
    if (row >= 0 && row != memoList_.selectedRow()) userSelect(row);
}

void MemoWindow::userListKey(ListKey key, int rowsPerPage, int topRow) {
    // A key that does not move the selection is no change of it, and raises nothing.
    const int row = memoList_.rowForKey(key, rowsPerPage, topRow);
    if (row >= 0 && row != memoList_.selectedRow()) userSelect(row);
}

void MemoWindow::userEdit(const TextEdit& edit) {
    guarded(
        [&] {
            if (memoText_.composing())
                memoText_.holdEdit(edit);
            else if (!editRefused())
                applyEdit(edit);
        },
        FolderLook::BeforeWriting, memoText_.composing() ? Acting::InputMethod : Acting::Typing);
}

void MemoWindow::userCompose() {
    guarded([&] { memoText_.openComposition(); }, FolderLook::BeforeWriting, Acting::InputMethod);
}

void MemoWindow::userCloseComposition(bool committed) {
    guarded(
        [&] {
            if (!memoText_.composing()) return;
            const std::optional<TextEdit> change = memoText_.closeComposition();
            // What leaves the text as it was is no edit: nothing is created, deleted or written.
            if (change && !committed)
                memoText_.putBack(*change);
            else if (change && !editRefused())
                applyEdit(*change);
            // Another program's change that came meanwhile.
            if (std::exchange(reloadWaits_, false)) onFolderChange();
        },
        FolderLook::BeforeWriting, Acting::InputMethod);
}

void MemoWindow::applyEdit(const TextEdit& edit) {
    const FittedEdit fitted = fitEdit(codec_, memoText_.text(), edit);
    memoText_.userEdit(fitted);
    // Told once the edit is saved, so that box and file already agree while the box is up.
    if (!fitted.replaced.empty()) tell(texts::notHoldable(fitted.replaced));
}

void MemoWindow::userClickCheck() {
    guarded([&] { arrangeCheck_.userClick(); });
}

void MemoWindow::choose(Command command) {
    switch (command) {
        case Command::New:
            return guarded([&] {
                if (savedBeforeLeaving()) onNewMemo();
            });
        case Command::Delete:
            return guarded([&] { onDeleteMemo(); });
        // These touch no file: whatever became of the folder, they never end the program.
        case Command::KeepInFront:
            return guarded([&] { onInFront(0); }, FolderLook::Never);
        case Command::Release:
            return guarded([&] { onInFront(1); }, FolderLook::Never);
        case Command::Version:
            return guarded([&] { onVersion(); }, FolderLook::Never);
    }
}

void MemoWindow::later(int milliseconds, std::function<void()> task) {
    platform_.runAfter(milliseconds, [this, milliseconds, task = std::move(task)] {
        // A box's own event loop runs timers too: inside an action, the task waits its turn.
        if (acting_ != Acting::Nothing)
            later(milliseconds, task);
        else
            task();
    });
}

void MemoWindow::keepUnsaved(const StoreError& why) {
    pendingOwnFile_ =
        (why.fault() == StoreFault::NotAFile || why.fault() == StoreFault::AccessDenied) &&
        pathText(why.path().filename()) == book_->name(openRow_);
    if (!std::exchange(savePending_, true))
        tell(texts::saveRefused(book_->name(openRow_), pathText(why.path().filename()),
                                why.reasonText()));
    if (std::exchange(retryArmed_, true)) return;
    later(kSaveRetryMs, [this] {
        retryArmed_ = false;
        guarded([&] { retrySave(); }, FolderLook::BeforeWriting);
    });
}

void MemoWindow::retrySave() {
    if (!savePending_ || memoList_.selectedRow() != openRow_) return;
    const auto entry = entering("onTextChange");
    updatePath();
}

// Nothing takes the text out of the box while it is not on disk: the save is tried first. Where
// the memo's own file refuses it, the text becomes a new memo at the end, which stays open;
// while the folder refuses it (a full disk), the action is refused, with a word why.
bool MemoWindow::savedBeforeLeaving() {
    if (!savePending_) return true;
    retrySave();
    if (!savePending_) return true;
    const int from = openRow_;
    if (pendingOwnFile_) {
        // Arrange mode ends first, so that the new memo's selection is no second pick.
        arrangeCheck_.setValue(0);
        createPath();
        if (openRow_ != from) {
            savePending_ = false;
            tell(texts::keptAsNewMemo(book_->name(from), book_->name(openRow_)));
            return false;
        }
    }
    tell(texts::kStillUnsaved);
    memoList_.showSelectionAgain();
    return false;
}

std::optional<int> exitStatusOnStart(StartResult result) {
    switch (result) {
        case StartResult::AnotherCopyRunning:
            return 0;
        case StartResult::Failed:
            return 1;
        case StartResult::Shown:
            break;
    }
    return std::nullopt;
}

void MemoWindow::msgBox(std::u16string_view prompt) {
    // One box at a time, and a text already waiting or up is not told twice.
    if (std::find(toTell_.begin(), toTell_.end(), prompt) != toTell_.end()) return;
    toTell_.emplace_back(prompt);
    if (telling_) return;
    // Inside an input method's event a box's own event loop would run the method's next event
    // before this one has finished: the box comes once the event has returned. Everywhere else
    // it comes in its place, before what follows it.
    if (acting_ == Acting::InputMethod) {
        if (toTell_.size() == 1) platform_.afterEvent([this] { tellWhatWaits(); });
        return;
    }
    tellWhatWaits();
}

void MemoWindow::tell(std::u16string_view text) {
    if (acting_ != Acting::Typing && acting_ != Acting::InputMethod) return msgBox(text);
    if (trace_) trace_->note("Notice");
    platform_.showNotice(std::u16string(text));
}

void MemoWindow::tellWhatWaits() {
    if (telling_) return;
    telling_ = true;
    while (!toTell_.empty() && !ended_) {
        if (trace_) trace_->note("MsgBox");
        platform_.showMessage(toTell_.front());
        if (!toTell_.empty()) toTell_.erase(toTell_.begin());
    }
    telling_ = false;
}

StartResult MemoWindow::load() {
    const auto entry = entering("load");
    if (platform_.anotherCopyRunning()) return StartResult::AnotherCopyRunning;
    const FolderLock lock = book_->open(programFolderFrom(platform_.programDirectory()));
    if (lock == FolderLock::HeldElsewhere) return StartResult::AnotherCopyRunning;
    if (lock == FolderLock::HeldInAnotherSession) {
        platform_.showRuntimeError(std::u16string(texts::kFolderInAnotherSession));
        return StartResult::Failed;
    }
    book_->reloadList();
    platform_.watchFolder(book_->folder().native(), [this] { folderChanged(); });
    inFrontItems_[0].setChecked(true);
    saving_ = false;
    platform_.keepInFront(true);
    // One look at the folder, once the window is there: reading a folder of 32767 memos takes
    // longer than everything else the start does.
    platform_.afterShown([this] { guarded([&] { lookAtTheFolder(); }); });
    return StartResult::Shown;
}

// Removes what a save cut short left, and tells the person what else does not match the index.
void MemoWindow::lookAtTheFolder() {
    const MemoBook::Look look = book_->lookAtTheFolder();
    if (!look.found.empty()) tell(texts::folderFindings(look.found, look.leftoversRemoved));
}

// The watcher tells a burst of changes once; this program's own writes are among them, and are
// known by what it last wrote. Told inside an action (a box's own loop), it waits its turn.
void MemoWindow::folderChanged() {
    if (acting_ != Acting::Nothing)
        later(WindowPlatform::kWatchSettleMs, [this] { folderChanged(); });
    else
        guarded([&] { onFolderChange(); }, FolderLook::Never);
}

void MemoWindow::onInFront(int index) {
    const auto entry = entering("onInFront");
    for (auto& item : inFrontItems_)
        item.setChecked(false);
    inFrontItems_.at(std::size_t(index)).setChecked(true);
    platform_.keepInFront(index == 0);
}

void MemoWindow::onVersion() {
    const auto entry = entering("onVersion");
    msgBox(texts::kVersion);
}

}  // namespace tetomu
