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
    txtmemo.setText(u"");
}

// Emptying the box with nothing selected runs the create path for a "temp" memo at the end;
// this takes it away again, leaving the store and the list as they were.
void MemoWindow::emptyTextAndDropCreatedMemo() {
    const int before = List1.ListCount();
    txtmemo.setText(u"");
    // A full list creates nothing, and then there is nothing to take away: the last memo is a
    // real one.
    if (List1.ListCount() != before + 1) return;
    store().remove(store().MemoPath(List1.ListCount() - 1));
    WriteIndexAndReloadList(std::vector(List1.items().begin(), List1.items().end() - 1));
}

}  // namespace tetomu
