// List1_Click: a click on a title opens that memo; in arrange mode it is the second pick. A memo
// whose file is missing, or is a link, a pipe or a folder, is told and left unopened.
#include "store/store_error.h"
#include "window/handler_entry.h"
#include "window/memo_window.h"
#include "window/texts.h"

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
    unopened_.reset();
    // The file is read and closed before the text is assigned; the assignment may raise the
    // change handler, which saves the same memo (and writes nothing, as its bytes are the same).
    std::u16string text;
    try {
        text = store().readMemo(k);
    } catch (const StoreError& error) {
        if (error.fault() != StoreFault::NotFound && error.fault() != StoreFault::NotAFile) throw;
        showUnopened(k, error);
        return;
    }
    openingAsRead_ = true;
    txtmemo.setText(std::move(text));
    openingAsRead_ = false;
}

// The row stays picked with an empty box; nothing is written until the person writes.
void MemoWindow::showUnopened(int k, const StoreError& why) {
    unopened_ = k;
    blanking_ = true;
    txtmemo.setText(u"");
    blanking_ = false;
    const std::u16string name = pathText(store().MemoPath(k).filename());
    msgBox(why.fault() == StoreFault::NotFound ? texts::memoMissing(name)
                                               : texts::memoNotAFile(name));
}

// A keystroke in an unopened memo: one whose file is still missing is written as any save is;
// one whose name holds something other than a plain file is refused, and nothing is followed.
// A file that has come meanwhile is opened instead, so that it is not written over.
bool MemoWindow::editRefused() {
    if (!unopened_ || *unopened_ != List1.ListIndex() || List1.Text().empty()) return false;
    const int k = *unopened_;
    const EntryKind kind = store().kind(store().MemoPath(k));
    if (kind == EntryKind::Missing) return false;
    txtmemo.showAgain();
    if (kind == EntryKind::File) {
        List1.setSelected(k);
    } else {
        msgBox(texts::memoNotAFile(pathText(store().MemoPath(k).filename())));
    }
    return true;
}

}  // namespace tetomu
