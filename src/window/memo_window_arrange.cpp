// Arrange mode: with "整理" ticked, the next pick in the list exchanges two memos, their files
// and their rows in the index, and arrange mode ends.
#include "store/store_error.h"
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {

void MemoWindow::Check1_Click() {
    Entered entered(*this, "Check1_Click");
    if (List1.Text().empty() && Check1.Value() == 1) {
        Check1.setValue(0);
        msgBox(texts::kNothingToArrange);
        return;
    }
    swapFrom = List1.ListIndex();
}

void MemoWindow::arrangePath() {
    const int k = List1.ListIndex();
    if (k == swapFrom) {
        msgBox(texts::kSameOneClicked);
        Check1.setValue(0);
        // The memo at this position was deleted while arrange mode was on, and the one that moved
        // up into it was never loaded: load it now, or the next keystroke would write over it.
        if (txtmemo.Text().empty()) openPath();
        return;
    }
    swapTo = k;

    // Everything that could stop the swap is checked before any file is touched.
    const bool firstPickGone = swapFrom < 0 || swapFrom >= List1.ListCount();
    if (firstPickGone || store().kind(store().TempPath()) != EntryKind::Missing) {
        Check1.setValue(0);
        msgBox(firstPickGone ? texts::kFirstPickGone : texts::kTempLeftOver);
        // The click still selected this memo; with arrange mode off it opens, as any click does.
        openPath();
        return;
    }

    swapMemos(swapFrom, swapTo);
    ReloadListAfterWrite();
    Check1.setValue(0);
    if (txtmemo.Text().empty()) return;
    emptyTextAndDropCreatedMemo();
}

// Exchanges memos a and b: a's file goes to temp.txt, b's file to a's name, the index is written
// with rows a and b exchanged, and temp.txt goes to b's name. The journal names the swap until it
// is done, so start-up finishes one that was cut short; a refused call puts back what was done.
void MemoWindow::swapMemos(int a, int b) {
    MemoStore& s = store();
    const auto pathA = s.MemoPath(a);
    const auto pathB = s.MemoPath(b);
    const auto temp = s.TempPath();
    for (const auto& path : {pathA, pathB}) {
        const EntryKind kind = s.kind(path);
        if (kind != EntryKind::File)
            s.refuse(kind == EntryKind::Missing ? StoreFault::NotFound : StoreFault::NotAFile,
                     path);
    }
    unopened_.reset();
    JournalEntry entry(journal(), {JournalRecord::Kind::Swap, a, b, hashBytes(List1.rowBytes(a)),
                                   hashBytes(List1.rowBytes(b))});
    // Undoing is best effort: the first refusal is the one reported, and the journal finishes
    // whatever stays undone at the next start.
    auto undo = [](auto&& steps) {
        try {
            steps();
        } catch (const StoreError&) {
        }
    };
    s.rename(pathA, temp);
    try {
        s.rename(pathB, pathA);
    } catch (const StoreError&) {
        undo([&] { s.rename(temp, pathA); });
        throw;
    }
    List1.exchange(a, b);
    try {
        // Start-up tells from temp.txt and the rows how far a swap got: each part is kept
        // before the next begins.
        s.flushFolder();
        WriteIndex();
        s.flushFolder();
    } catch (const StoreError&) {
        List1.exchange(a, b);
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
        });
        throw;
    }
    try {
        s.rename(temp, pathB);
    } catch (const StoreError&) {
        List1.exchange(a, b);
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
            WriteIndex();
        });
        throw;
    }
    entry.done();
}

}  // namespace tetomu
