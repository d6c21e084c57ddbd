// List1_Click: a click on a title opens that memo; in arrange mode it is the second pick.
#include "window/handler_entry.h"
#include "window/memo_window.h"

namespace tetomu {

void MemoWindow::List1_Click() {
    Entered entered(*this, "List1_Click");
    if (Check1.Value() != 0) {
        arrangePath();
        return;
    }
    // The click raised by the change handler's own selection.
    if (busy) return;
    openPath();
}

void MemoWindow::openPath() {
    const int k = List1.ListIndex();
    if (k < 0) return;
    curIndex = k;
    // The file is read and closed before the text is assigned; the assignment may raise the
    // change handler, which saves the same memo (and writes nothing, as its bytes are the same).
    std::u16string text = store().readMemo(k);
    openingAsRead_ = true;
    txtmemo.setText(std::move(text));
    openingAsRead_ = false;
}

}  // namespace tetomu
