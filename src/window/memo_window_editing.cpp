// onTextChange: the only save path. Every change of the text box brings the list and the
// memo folder up to date before it returns; it also creates and deletes memos.
#include "store/memo_store.h"
#include "store/store_error.h"
#include "store/title.h"
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

#include <utility>

namespace tetomu {

void MemoWindow::onTextChange() {
    Entered entered(*this, "onTextChange");
    // An item whose title is "" counts as no selection.
    if (memoList_.selectedTitle().empty()) {
        createPath();
    } else if (!memoText_.text().empty()) {
        updatePath();
    } else {
        deletePath();
    }
}

// The text becomes a new memo at the end of the list, and is selected.
void MemoWindow::createPath() {
    if (memoList_.count() >= kMaxMemos) {
        // The store numbers memos with 16 bits; one more would overflow. Nothing is written. An
        // empty box (New or a swap clearing it) has nothing to lose, so only typed text is told.
        if (!memoText_.text().empty()) msgBox(texts::kListFull);
        return;
    }
    saving_ = true;
    if (!takeInFilesPastTheList()) {
        saving_ = false;
        return;
    }
    const int n = memoList_.count();
    memoList_.addItem(titleOf(memoText_.text()));
    {
        // The text goes to disk before the index names it; the journal says so until both are.
        JournalEntry entry(journal(), {JournalRecord::Kind::Create, n});
        saveMemo(n);
        // After a power cut the index must not name a file whose name was lost.
        store().flushFolder();
        writeIndex();
        entry.done();
    }
    openRow_ = memoList_.count() - 1;
    // Raises onListPick, which returns at once while saving_ is set (or, in arrange mode, takes the
    // new memo as the second pick).
    memoList_.setSelected(openRow_);
    saving_ = false;
}

// A file under the new memo's number that the index does not name is never written over. A
// memo file there is taken into the list first, so its text becomes reachable; anything else
// there (a link, a folder) stops the new memo. An empty box, which only New and a swap leave,
// has nothing to save and takes nothing in.
bool MemoWindow::takeInFilesPastTheList() {
    int free = memoList_.count();
    for (EntryKind kind; (kind = store().kind(store().memoPath(free))) != EntryKind::Missing;) {
        if (memoText_.text().empty()) return false;
        if (kind != EntryKind::File) {
            msgBox(texts::cannotCreate(pathText(store().memoPath(free).filename())));
            return false;
        }
        if (++free >= kMaxMemos) {
            msgBox(texts::kListFull);
            return false;
        }
    }
    for (int n = memoList_.count(); n < free; ++n)
        memoList_.addItem(titleOf(store().readMemo(n)));
    return true;
}

// The selected memo gets the text, and the title derived from it.
void MemoWindow::updatePath() {
    saving_ = true;
    const int k = memoList_.selectedRow();
    const bool opening = openingAsRead_;
    // The text first: it is what must never be lost. The title can always be derived again.
    saveMemo(k);
    memoList_.setTitle(k, titleOf(memoText_.text()));
    if (opening) {
        // Only a title derived again is at stake on opening: in a folder that may only be read,
        // the person is told once and browses on.
        try {
            writeIndex();
        } catch (const StoreError&) {
            if (!std::exchange(toldTitleNotWritten_, true)) msgBox(texts::kTitleNotWritten);
        }
    } else {
        writeIndex();
    }
    reloadListAfterWrite();
    memoList_.setSelected(openRow_);
    saving_ = false;
}

// The selected memo's text is empty: its file goes, and the later memos move one number down.
// A memo whose file is missing has nothing to remove; a link or a pipe at its name goes as a
// name, never followed.
void MemoWindow::deletePath() {
    rowBeingDeleted_ = memoList_.selectedRow();
    const int count = memoList_.count();
    const auto path = store().memoPath(rowBeingDeleted_);
    if (!laterFilesAreThere(rowBeingDeleted_ + 1)) {
        // Renumbering over a gap would put memos under other titles. The memo stays, and so does
        // what the box shows of it.
        msgBox(texts::kCannotDelete);
        if (store().kind(path) == EntryKind::File)
            memoText_.setText(store().readMemo(rowBeingDeleted_));
        return;
    }
    const EntryKind own = store().kind(path);
    if (own == EntryKind::Other) {
        // Before the journal: a row without its file is a state the folder may be left in.
        try {
            store().remove(path);
        } catch (const StoreError&) {
            msgBox(texts::cannotRemove(pathText(path.filename())));
            return;
        }
    }
    unopened_.reset();
    JournalEntry entry(journal(), {JournalRecord::Kind::Delete, rowBeingDeleted_, count});
    if (own == EntryKind::File) {
        store().remove(path);
        // Each part is kept before the next begins, as start-up tells from the index which are
        // done.
        store().flushFolder();
    }
    memoList_.removeItem(memoList_.selectedRow());
    writeIndex();
    store().flushFolder();
    // Ascending, so that every target name is the one just freed.
    for (int i = rowBeingDeleted_; i <= count - 2; ++i)
        store().rename(store().memoPath(i + 1), store().memoPath(i));
    entry.done();
}

// Every memo file from `from` to the end of the list is there, as a plain file.
bool MemoWindow::laterFilesAreThere(int from) {
    for (int i = from; i < memoList_.count(); ++i) {
        if (store().kind(store().memoPath(i)) != EntryKind::File) return false;
    }
    return true;
}

}  // namespace tetomu
