// txtmemo_Change: the only save path. Every change of the text box brings the list and the
// memo folder up to date before it returns; it also creates and deletes memos.
#include <cerrno>
#include <cstring>

#include "store/store_error.h"
#include "store/title.h"
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

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
    // A file under the new memo's number holds text that the index does not name (put there by
    // hand, or left by a save cut short while running): never write over it.
    if (const auto path = store().MemoPath(List1.ListCount()); store().exists(path))
        throw StoreError(StoreFault::AlreadyExists, EEXIST, std::strerror(EEXIST), path);
    busy = true;
    List1.AddItem(TitleOf(txtmemo.Text()));
    // The text goes to disk before the index names it: a crash in between leaves a stray file,
    // never an index line without its memo.
    store().writeMemo(List1.ListCount() - 1, txtmemo.Text());
    WriteIndex();
    curIndex = List1.ListCount() - 1;
    // Raises List1_Click, which returns at once on busy (or, in arrange mode, takes the new
    // memo as the second pick).
    List1.setSelected(curIndex);
    busy = false;
}

// The selected memo gets the text, and the title derived from it.
void MemoWindow::updatePath() {
    busy = true;
    const int k = List1.ListIndex();
    // The text first: it is what must never be lost. The title can always be derived again.
    store().writeMemo(k, txtmemo.Text());
    List1.setList(k, TitleOf(txtmemo.Text()));
    // The list shows each title as the index reads back.
    WriteIndexAndReloadList();
    List1.setSelected(curIndex);
    busy = false;
}

// The selected memo's text is empty: its file goes, and the later memos move one number down.
void MemoWindow::deletePath() {
    delIndex = List1.ListIndex();
    store().remove(store().MemoPath(List1.ListIndex()));
    List1.RemoveItem(List1.ListIndex());
    WriteIndex();
    // Ascending, so that every target name is the one just freed.
    const int count = List1.ListCount();
    for (int i = delIndex; i <= count - 1; ++i) {
        store().rename(store().MemoPath(i + 1), store().MemoPath(i));
    }
}

}  // namespace tetomu
