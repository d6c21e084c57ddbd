// "新規" and "削除": neither creates nor deletes anything itself. Both empty the text box and
// let the change handler do the work.
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {

void MemoWindow::onNewMemo() {
    Entered entered(*this, "onNewMemo");
    if (memoText_.text().empty()) return;
    // Arrange mode ends first: otherwise the selection that emptying the box makes would be
    // taken as the second pick of a swap.
    arrangeCheck_.setValue(0);
    reloadList();
    emptyTextAndDropCreatedMemo();
}

void MemoWindow::onDeleteMemo() {
    Entered entered(*this, "onDeleteMemo");
    if (memoList_.selectedTitle().empty()) {
        msgBox(texts::kNothingToDelete);
        return;
    }
    // A memo that could not be opened has an empty box already: emptying it changes nothing,
    // so its delete is run here.
    if (unopened_ == memoList_.selectedRow() && memoText_.text().empty()) {
        Entered change(*this, "onTextChange");
        deletePath();
        return;
    }
    memoText_.setText(u"");
}

// Emptying the box with nothing selected runs the create path for an empty "temp" memo at the
// end; this takes it away again, leaving the store and the list as they were. The journal names
// the memo from before it is made until it is gone.
void MemoWindow::emptyTextAndDropCreatedMemo() {
    const int before = memoList_.count();
    // The create path makes nothing when the list is full or a file already has that number.
    std::optional<JournalEntry> drop;
    if (before < kMaxMemos && store().kind(store().memoPath(before)) == EntryKind::Missing)
        drop.emplace(journal(), JournalRecord{JournalRecord::Kind::Drop, before});
    memoText_.setText(u"");
    if (!drop) return;
    if (memoList_.count() == before + 1) {
        store().remove(store().memoPath(before));
        memoList_.removeItem(before);
        writeIndex();
        reloadListAfterWrite();
    }
    drop->done();
}

}  // namespace tetomu
