// "新規" and "削除": neither creates nor deletes anything itself. Both empty the text box and
// let the change handler do the work.
#include "window/memo_book.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {

void MemoWindow::onNewMemo() {
    const auto entry = entering("onNewMemo");
    // The new memo is typed into the box next, whatever had the keys before.
    memoText_.wantFocus();
    // Arrange mode ends first: otherwise the selection that emptying the box makes would be
    // taken as the second pick of a swap.
    arrangeCheck_.setValue(0);
    if (memoText_.text().empty()) {
        // Nothing to empty; a memo picked whose file could not be opened is let go all the same.
        memoList_.clearSelection();
        return;
    }
    book_->reloadList();
    emptyTextAndDropCreatedMemo();
}

void MemoWindow::onDeleteMemo() {
    const auto entry = entering("onDeleteMemo");
    if (memoList_.selectedTitle().empty()) {
        msgBox(texts::kNothingToDelete);
        return;
    }
    // A memo that could not be opened has an empty box already: emptying it changes nothing,
    // so its delete is run here.
    if (unopened_ == memoList_.selectedRow() && memoText_.text().empty()) {
        const auto change = entering("onTextChange");
        deletePath();
        return;
    }
    memoText_.setText(u"");
}

// Emptying the box with nothing selected runs the create path for an empty "temp" memo at the
// end, which the book takes away again.
void MemoWindow::emptyTextAndDropCreatedMemo() {
    book_->emptyAndDrop([this] { memoText_.setText(u""); });
}

}  // namespace tetomu
