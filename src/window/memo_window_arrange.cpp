// Arrange mode: with "整理" ticked, the next pick in the list exchanges two memos, their files
// and their rows in the index, and arrange mode ends.
#include "store/store_error.h"
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {

void MemoWindow::onArrangeCheck() {
    Entered entered(*this, "onArrangeCheck");
    if (memoList_.selectedTitle().empty() && arrangeCheck_.value() == 1) {
        arrangeCheck_.setValue(0);
        msgBox(texts::kNothingToArrange);
        return;
    }
    swapFirst_ = memoList_.selectedRow();
}

void MemoWindow::arrangePath() {
    const int k = memoList_.selectedRow();
    if (k == swapFirst_) {
        msgBox(texts::kSameOneClicked);
        arrangeCheck_.setValue(0);
        // The memo at this position was deleted while arrange mode was on, and the one that moved
        // up into it was never loaded: load it now, or the next keystroke would write over it.
        if (memoText_.text().empty()) openPath();
        return;
    }
    swapSecond_ = k;

    // Everything that could stop the swap is checked before any file is touched.
    const bool firstPickGone = swapFirst_ < 0 || swapFirst_ >= memoList_.count();
    if (firstPickGone || store().kind(store().tempPath()) != EntryKind::Missing) {
        arrangeCheck_.setValue(0);
        msgBox(firstPickGone ? texts::kFirstPickGone : texts::kTempLeftOver);
        // The click still selected this memo; with arrange mode off it opens, as any click does.
        openPath();
        return;
    }

    swapMemos(swapFirst_, swapSecond_);
    reloadListAfterWrite();
    arrangeCheck_.setValue(0);
    if (memoText_.text().empty()) return;
    emptyTextAndDropCreatedMemo();
}

// Exchanges memos a and b: a's file goes to temp.txt, b's file to a's name, the index is written
// with rows a and b exchanged, and temp.txt goes to b's name. The journal names the swap until it
// is done, so start-up finishes one that was cut short; a refused call puts back what was done.
void MemoWindow::swapMemos(int a, int b) {
    MemoStore& s = store();
    const auto pathA = s.memoPath(a);
    const auto pathB = s.memoPath(b);
    const auto temp = s.tempPath();
    for (const auto& path : {pathA, pathB}) {
        const EntryKind kind = s.kind(path);
        if (kind != EntryKind::File)
            s.refuse(kind == EntryKind::Missing ? StoreFault::NotFound : StoreFault::NotAFile,
                     path);
    }
    unopened_.reset();
    JournalEntry entry(journal(),
                       {JournalRecord::Kind::Swap, a, b, hashBytes(memoList_.rowBytes(a)),
                        hashBytes(memoList_.rowBytes(b))});
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
    memoList_.exchange(a, b);
    try {
        // Start-up tells from temp.txt and the rows how far a swap got: each part is kept
        // before the next begins.
        s.flushFolder();
        writeIndex();
        s.flushFolder();
    } catch (const StoreError&) {
        memoList_.exchange(a, b);
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
        });
        throw;
    }
    try {
        s.rename(temp, pathB);
    } catch (const StoreError&) {
        memoList_.exchange(a, b);
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
            writeIndex();
        });
        throw;
    }
    entry.done();
}

}  // namespace tetomu
