// "新規" and "削除": neither creates nor deletes anything itself. Both empty the text box and
// let the change handler do the work.
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {

void MemoWindow::tu1_Click() {
    Entered entered(*this, "tu1_Click");
    if (txtmemo.Text().empty()) return;
    // Arrange mode ends first: otherwise the selection that emptying the box makes would be
    // taken as the second pick of a swap.
    Check1.setValue(0);
    ReloadList();
    emptyTextAndDropCreatedMemo();
}

void MemoWindow::sa1_Click() {
    Entered entered(*this, "sa1_Click");
    if (List1.Text().empty()) {
        msgBox(texts::kNothingToDelete);
        return;
    }
    // A memo that could not be opened has an empty box already: emptying it changes nothing,
    // so its delete is run here.
    if (unopened_ == List1.ListIndex() && txtmemo.Text().empty()) {
        Entered change(*this, "txtmemo_Change");
        deletePath();
        return;
    }
    txtmemo.setText(u"");
}

// Emptying the box with nothing selected runs the create path for an empty "temp" memo at the
// end; this takes it away again, leaving the store and the list as they were. The journal names
// the memo from before it is made until it is gone.
void MemoWindow::emptyTextAndDropCreatedMemo() {
    const int before = List1.ListCount();
    // The create path makes nothing when the list is full or a file already has that number.
    std::optional<JournalEntry> drop;
    if (before < kMaxMemos && store().kind(store().MemoPath(before)) == EntryKind::Missing)
        drop.emplace(journal(), JournalRecord{JournalRecord::Kind::Drop, before});
    txtmemo.setText(u"");
    if (!drop) return;
    if (List1.ListCount() == before + 1) {
        store().remove(store().MemoPath(before));
        List1.RemoveItem(before);
        WriteIndex();
        ReloadListAfterWrite();
    }
    drop->done();
}

}  // namespace tetomu
