// onTextChange: the only save path. Every change of the text box brings the list and the memo
// folder up to date before it returns; it also creates and deletes memos.
#include "store/store_error.h"
#include "store/title.h"
#include "window/memo_book.h"
#include "window/memo_window.h"
#include "window/texts.h"

#include <utility>

namespace tetomu {

void MemoWindow::onTextChange() {
    const auto entry = entering("onTextChange");
    // An item whose title is "" counts as no selection.
    if (memoList_.selectedTitle().empty()) {
        lookAtFolderOnce();
        createPath();
    } else if (!memoText_.text().empty()) {
        updatePath();
    } else {
        lookAtFolderOnce();
        deletePath();
    }
}

// The text becomes a new memo at the end of the list, and is selected.
void MemoWindow::createPath() {
    // Rows another copy added to the index stay, and their files are not written over.
    if (book_->indexChangedElsewhere()) book_->reloadList();
    if (memoList_.count() >= kMaxMemos) {
        // The store numbers memos with 16 bits; one more would overflow. Nothing is written. An
        // empty box (New or a swap clearing it) has nothing to lose, so only typed text is told.
        if (!memoText_.text().empty()) tell(texts::kListFull);
        return;
    }
    saving_ = true;
    // A file under the new memo's number that the index does not name is never written over;
    // an empty box, which only New and a swap leave, has nothing to save and takes nothing in.
    const MemoBook::Room room = book_->makeRoomForNewMemo(!memoText_.text().empty());
    if (room.kind != MemoBook::Room::Free) {
        if (room.kind == MemoBook::Room::NotAFile)
            tell(texts::cannotCreate(book_->name(room.at)));
        else if (room.kind == MemoBook::Room::Full)
            tell(texts::kListFull);
        saving_ = false;
        return;
    }
    book_->createMemo(memoText_);
    openRow_ = memoList_.count() - 1;
    // Raises onListPick, which returns at once while saving_ is set (or, in arrange mode, takes
    // the new memo as the second pick).
    memoList_.setSelected(openRow_);
    saving_ = false;
}

// The selected memo gets the text, and the title derived from it. A keystroke's save that is
// refused loses nothing: the text stays in the box and is saved again later.
void MemoWindow::updatePath() {
    saving_ = true;
    const int k = memoList_.selectedRow();
    const bool opening = openingAsRead_;
    // What another program wrote meanwhile is never written over.
    if (!opening && !caughtUpBeforeSaving(k)) {
        saving_ = false;
        return;
    }
    // The text first: it is what must never be lost. The title can always be derived again.
    if (savedText(k, opening)) {
        memoList_.setTitle(k, titleOf(memoText_.text()));
        try {
            book_->writeIndex();
            savePending_ = false;
        } catch (const StoreError& error) {
            if (!opening) {
                keepUnsaved(error);
            } else if (!std::exchange(toldTitleNotWritten_, true)) {
                // Only a title derived again is at stake on opening: in a folder that may only
                // be read, the person is told once and browses on.
                tell(texts::kTitleNotWritten);
            }
        }
    }
    // The list already is what the index reads back, so reading it again only takes the
    // selection away.
    memoList_.clearSelection();
    memoList_.setSelected(openRow_);
    saving_ = false;
}

// Opening, or with the folder no longer the one locked, a refusal ends the program as always.
bool MemoWindow::savedText(int k, bool opening) {
    try {
        if (!opening) lookAtFolderOnce();
        saveMemo(k);
        return true;
    } catch (const StoreError& error) {
        if (opening || error.fault() == StoreFault::FolderReplaced) throw;
        keepUnsaved(error);
        return false;
    }
}

// The selected memo's text is empty: its file goes, and the later memos move one number down.
void MemoWindow::deletePath() {
    rowBeingDeleted_ = memoList_.selectedRow();
    // A memo another program changed since it was read is not deleted: its text comes back.
    if (book_->memoChangedElsewhere(rowBeingDeleted_) &&
        book_->kind(rowBeingDeleted_) == EntryKind::File) {
        tell(texts::notDeletedChangedElsewhere(book_->name(rowBeingDeleted_)));
        memoText_.reload(book_->readMemo(rowBeingDeleted_));
        return;
    }
    switch (book_->deleteMemo(rowBeingDeleted_)) {
        case MemoBook::Deletion::Gap:
            // The memo stays, and so does what the box shows of it.
            tell(texts::kCannotDelete);
            if (book_->kind(rowBeingDeleted_) == EntryKind::File)
                memoText_.setText(book_->readMemo(rowBeingDeleted_));
            return;
        case MemoBook::Deletion::NameStays:
            tell(texts::cannotRemove(book_->name(rowBeingDeleted_)));
            return;
        case MemoBook::Deletion::Done:
            unopened_.reset();
            savePending_ = false;
            return;
    }
}

void MemoWindow::saveMemo(int n) {
    const bool fileWasMissing = unopened_ == n;
    book_->saveMemo(n, memoText_, std::exchange(openingAsRead_, false), fileWasMissing);
    if (fileWasMissing) unopened_.reset();
}

}  // namespace tetomu
