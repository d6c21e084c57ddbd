// txtmemo_Change: the only save path. Every change of the text box brings the list and the
// memo folder up to date before it returns; it also creates and deletes memos.
#include "store/memo_store.h"
#include "store/store_error.h"
#include "store/title.h"
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

#include <utility>

namespace tetomu {

void MemoWindow::txtmemo_Change() {
    Entered entered(*this, "txtmemo_Change");
    // An item whose title is "" counts as no selection.
    if (List1.Text().empty()) {
        createPath();
    } else if (!txtmemo.Text().empty()) {
        updatePath();
    } else {
        deletePath();
    }
}

// The text becomes a new memo at the end of the list, and is selected.
void MemoWindow::createPath() {
    if (List1.ListCount() >= kMaxMemos) {
        // The store numbers memos with 16 bits; one more would overflow. Nothing is written. An
        // empty box (New or a swap clearing it) has nothing to lose, so only typed text is told.
        if (!txtmemo.Text().empty()) msgBox(texts::kListFull);
        return;
    }
    busy = true;
    if (!takeInFilesPastTheList()) {
        busy = false;
        return;
    }
    const int n = List1.ListCount();
    List1.AddItem(TitleOf(txtmemo.Text()));
    {
        // The text goes to disk before the index names it; the journal says so until both are.
        JournalEntry entry(journal(), {JournalRecord::Kind::Create, n});
        saveMemo(n);
        // After a power cut the index must not name a file whose name was lost.
        store().flushFolder();
        WriteIndex();
        entry.done();
    }
    curIndex = List1.ListCount() - 1;
    // Raises List1_Click, which returns at once on busy (or, in arrange mode, takes the new
    // memo as the second pick).
    List1.setSelected(curIndex);
    busy = false;
}

// A file under the new memo's number that the index does not name is never written over. A
// memo file there is taken into the list first, so its text becomes reachable; anything else
// there (a link, a folder) stops the new memo. An empty box, which only New and a swap leave,
// has nothing to save and takes nothing in.
bool MemoWindow::takeInFilesPastTheList() {
    int free = List1.ListCount();
    for (EntryKind kind; (kind = store().kind(store().MemoPath(free))) != EntryKind::Missing;) {
        if (txtmemo.Text().empty()) return false;
        if (kind != EntryKind::File) {
            msgBox(texts::cannotCreate(pathText(store().MemoPath(free).filename())));
            return false;
        }
        if (++free >= kMaxMemos) {
            msgBox(texts::kListFull);
            return false;
        }
    }
    for (int n = List1.ListCount(); n < free; ++n)
        List1.AddItem(TitleOf(store().readMemo(n)));
    return true;
}

// The selected memo gets the text, and the title derived from it.
void MemoWindow::updatePath() {
    busy = true;
    const int k = List1.ListIndex();
    const bool opening = openingAsRead_;
    // The text first: it is what must never be lost. The title can always be derived again.
    saveMemo(k);
    List1.setList(k, TitleOf(txtmemo.Text()));
    if (opening) {
        // Only a title derived again is at stake on opening: in a folder that may only be read,
        // the person is told once and browses on.
        try {
            WriteIndex();
        } catch (const StoreError&) {
            if (!std::exchange(toldTitleNotWritten_, true)) msgBox(texts::kTitleNotWritten);
        }
    } else {
        WriteIndex();
    }
    ReloadListAfterWrite();
    List1.setSelected(curIndex);
    busy = false;
}

// The selected memo's text is empty: its file goes, and the later memos move one number down.
// A memo whose file is missing has nothing to remove; a link or a pipe at its name goes as a
// name, never followed.
void MemoWindow::deletePath() {
    delIndex = List1.ListIndex();
    const int count = List1.ListCount();
    const auto path = store().MemoPath(delIndex);
    if (!laterFilesAreThere(delIndex + 1)) {
        // Renumbering over a gap would put memos under other titles. The memo stays, and so does
        // what the box shows of it.
        msgBox(texts::kCannotDelete);
        if (store().kind(path) == EntryKind::File) txtmemo.setText(store().readMemo(delIndex));
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
    JournalEntry entry(journal(), {JournalRecord::Kind::Delete, delIndex, count});
    if (own == EntryKind::File) {
        store().remove(path);
        // Each part is kept before the next begins, as start-up tells from the index which are
        // done.
        store().flushFolder();
    }
    List1.RemoveItem(List1.ListIndex());
    WriteIndex();
    store().flushFolder();
    // Ascending, so that every target name is the one just freed.
    for (int i = delIndex; i <= count - 2; ++i)
        store().rename(store().MemoPath(i + 1), store().MemoPath(i));
    entry.done();
}

// Every memo file from `from` to the end of the list is there, as a plain file.
bool MemoWindow::laterFilesAreThere(int from) {
    for (int i = from; i < List1.ListCount(); ++i) {
        if (store().kind(store().MemoPath(i)) != EntryKind::File) return false;
    }
    return true;
}

}  // namespace tetomu
