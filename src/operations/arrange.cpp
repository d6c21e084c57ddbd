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

    // ReloadList, from what the index just written reads back as.
    List1.Reload(swapMemos(swapFrom, swapTo));
    Check1.setValue(0);
    if (txtmemo.Text().empty()) return;
    emptyTextAndDropCreatedMemo();
}

// Exchanges memos a and b: a's file goes to temp.txt, b's file to a's name, the index is written
// with rows a and b exchanged, and temp.txt goes to b's name. The index is written while temp.txt
// still stands, so a swap cut short at any point leaves temp.txt and one free number behind, which
// start-up knows how to finish (store/folder_repair.h). A refused call puts back what was done.
std::vector<std::u16string> MemoWindow::swapMemos(int a, int b) {
    MemoStore& s = store();
    const auto pathA = s.MemoPath(a);
    const auto pathB = s.MemoPath(b);
    const auto temp = s.TempPath();
    if (!s.exists(pathA)) throw StoreError(StoreFault::NotFound, 0, {}, pathA);
    if (!s.exists(pathB)) throw StoreError(StoreFault::NotFound, 0, {}, pathB);
    std::vector<std::u16string> rows = List1.items();
    std::swap(rows[std::size_t(a)], rows[std::size_t(b)]);
    // Undoing is best effort: the first refusal is the one reported, and whatever stays undone
    // is finished at the next start.
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
    IndexReadBack back;
    try {
        back = s.writeIndexReadBack(rows);
    } catch (const StoreError&) {
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
        });
        throw;
    }
    try {
        s.rename(temp, pathB);
    } catch (const StoreError&) {
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
            s.writeIndex(List1.items());
        });
        throw;
    }
    if (back.allRows) return std::move(*back.allRows);
    for (auto& [row, text] : back.changedRows)
        rows[std::size_t(row)] = std::move(text);
    return rows;
}

}  // namespace tetomu
