// Arrange mode: with "整理" ticked, the next pick in the list exchanges two memos, their files
// and their rows in the index, and arrange mode ends.
#include "window/memo_book.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {

void MemoWindow::onArrangeCheck() {
    const auto entry = entering("onArrangeCheck");
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
    std::u16string why;
    if (swapFirst_ < 0 || swapFirst_ >= memoList_.count()) {
        why = texts::kFirstPickGone;
    } else if (book_->tempLeftOver()) {
        why = texts::kTempLeftOver;
    } else {
        for (const int n : {swapFirst_, swapSecond_}) {
            if (why.empty() && book_->kind(n) != EntryKind::File)
                why = texts::cannotSwap(book_->name(n));
        }
    }
    if (!why.empty()) {
        arrangeCheck_.setValue(0);
        tell(why);
        // The click still selected this memo; with arrange mode off it opens, as any click does.
        openPath();
        return;
    }

    unopened_.reset();
    book_->swapMemos(swapFirst_, swapSecond_);
    arrangeCheck_.setValue(0);
    if (memoText_.text().empty()) return;
    emptyTextAndDropCreatedMemo();
}

}  // namespace tetomu
