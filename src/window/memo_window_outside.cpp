// Other programs share the memo folder: an editor, git, a backup restored, a sync client between
// two PCs. Nothing they wrote is written over. While the person does nothing the list and the
// open memo are read again when they change; a change that meets a keystroke keeps both, the
// person's text as a new memo at the end, and says so.
#include "store/store_error.h"
#include "window/memo_book.h"
#include "window/memo_window.h"
#include "window/texts.h"

#include <utility>

namespace tetomu {

// Another program's change, told by the watcher once its burst is over (memo_window.cpp).
void MemoWindow::onFolderChange() {
    // A composition is the person's typing: the reload waits until it closes. A text whose save
    // was refused is kept first; its next try meets the change.
    if (memoText_.composing()) {
        reloadWaits_ = true;
        return;
    }
    if (savePending_) return;
    // A folder put in place of this one is not read: the next save says so.
    try {
        book_->mustBeSameFolder();
    } catch (const StoreError&) {
        return;
    }
    reloadWhenIdle();
}

// Reads the list and the open memo again when another program changed them. It writes nothing.
void MemoWindow::reloadWhenIdle() {
    const int k = memoList_.selectedRow();
    const bool open = k >= 0 && k == openRow_ && !memoList_.selectedTitle().empty();
    const bool indexChanged = book_->indexChangedElsewhere();
    const bool memoChanged = open && book_->memoChangedElsewhere(k);
    if (!indexChanged && !memoChanged) return;
    const auto entry = entering("onFolderChange");
    if (indexChanged) {
        book_->reloadList();
        // The open memo stays picked by its number while the list still has it.
        if (k < 0 || k >= memoList_.count()) {
            closeMemo();
            return;
        }
        reloading_ = true;
        memoList_.setSelected(k);
        reloading_ = false;
    }
    if (!open) return;
    try {
        memoText_.reload(book_->readMemo(k));
        unopened_.reset();
    } catch (const StoreError& error) {
        if (error.fault() != StoreFault::NotFound && error.fault() != StoreFault::NotAFile) throw;
        showUnopened(k, error);
    }
}

// Nothing is picked and the box is empty; nothing is written.
void MemoWindow::closeMemo() {
    memoList_.clearSelection();
    unopened_.reset();
    blanking_ = true;
    memoText_.setText(u"");
    blanking_ = false;
}

// Before a keystroke's save of memo k: the list is brought up to the index as another program
// left it, so that its rows stay; false when memo k's file changed elsewhere, or its row went,
// and the text has been kept as a new memo instead.
bool MemoWindow::caughtUpBeforeSaving(int k) {
    // A folder that cannot be looked at for a moment is a refused save like any other.
    try {
        lookAtFolderOnce();
    } catch (const StoreError& error) {
        if (error.fault() == StoreFault::FolderReplaced) throw;
        keepUnsaved(error);
        return false;
    }
    const bool memoChanged = book_->memoChangedElsewhere(k);
    if (book_->indexChangedElsewhere()) book_->reloadList();
    if (!memoChanged && k < memoList_.count()) return true;
    keepAsNewMemo(k);
    return false;
}

// The file stays as the other program left it; the box's text becomes the last memo, opened.
void MemoWindow::keepAsNewMemo(int k) {
    const std::u16string changed = book_->name(k);
    memoList_.clearSelection();
    unopened_.reset();
    createPath();
    if (memoList_.selectedRow() != openRow_) return;
    savePending_ = false;
    tell(texts::changedElsewhere(changed, book_->name(openRow_)));
}

}  // namespace tetomu
