// Arrange mode: with "整理" ticked, the next pick in the list exchanges two memos, their files
// and their rows in the index, and arrange mode ends.
#include <utility>

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
    if (firstPickGone || store().exists(store().TempPath())) {
        Check1.setValue(0);
        msgBox(firstPickGone ? texts::kFirstPickGone : texts::kTempLeftOver);
        // The click still selected this memo; with arrange mode off it opens, as any click does.
        openPath();
        return;
    }

    swapMemoFiles(swapFrom, swapTo);
    // The index is written only once the files are in place, rows swapFrom and swapTo exchanged.
    std::vector<std::u16string> rows = List1.items();
    std::swap(rows[std::size_t(swapFrom)], rows[std::size_t(swapTo)]);
    try {
        store().writeIndex(rows);
    } catch (const StoreError&) {
        // Put the files back so that they match the index that is still on disk.
        try {
            swapMemoFiles(swapFrom, swapTo);
        } catch (const StoreError&) {
        }
        throw;
    }
    ReloadList();
    Check1.setValue(0);
    if (txtmemo.Text().empty()) return;
    emptyTextAndDropCreatedMemo();
}

// Exchanges the names of two memo files through TempPath. A failed rename undoes the ones
// before it, so the folder is never left with a memo under the temporary name.
void MemoWindow::swapMemoFiles(int a, int b) {
    MemoStore& s = store();
    const auto pathA = s.MemoPath(a);
    const auto pathB = s.MemoPath(b);
    const auto temp = s.TempPath();
    if (!s.exists(pathA)) throw StoreError(StoreFault::NotFound, 0, {}, pathA);
    if (!s.exists(pathB)) throw StoreError(StoreFault::NotFound, 0, {}, pathB);
    s.rename(pathA, temp);
    try {
        s.rename(pathB, pathA);
    } catch (const StoreError&) {
        try {
            s.rename(temp, pathA);
        } catch (const StoreError&) {
        }
        throw;
    }
    try {
        s.rename(temp, pathB);
    } catch (const StoreError&) {
        try {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
        } catch (const StoreError&) {
        }
        throw;
    }
}

}  // namespace tetomu
