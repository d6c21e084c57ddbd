// onListPick: a click on a title opens that memo; in arrange mode it is the second pick. A memo
// whose file is missing, or is a link, a pipe or a folder, is told and left unopened.
#include "store/store_error.h"
#include "window/memo_book.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {

void MemoWindow::onListPick() {
    const auto entry = entering("onListPick");
    // The pick by which a reload keeps the open memo: the box is read again by the reload.
    if (reloading_) return;
    if (arrangeCheck_.value() != 0) {
        arrangePath();
        return;
    }
    // The click raised by the change handler's own selection.
    if (saving_) return;
    openPath();
}

void MemoWindow::openPath() {
    const int k = memoList_.selectedRow();
    if (k < 0) return;
    openRow_ = k;
    unopened_.reset();
    // The file is read and closed before the text is assigned; the assignment may raise the
    // change handler, which saves the same memo (and writes nothing, as its bytes are the same).
    std::u16string text;
    try {
        text = book_->readMemo(k);
    } catch (const StoreError& error) {
        if (error.fault() != StoreFault::NotFound && error.fault() != StoreFault::NotAFile) throw;
        showUnopened(k, error);
        return;
    }
    openingAsRead_ = true;
    memoText_.setText(std::move(text));
    openingAsRead_ = false;
}

// The row stays picked with an empty box; nothing is written until the person writes.
void MemoWindow::showUnopened(int k, const StoreError& why) {
    unopened_ = k;
    blanking_ = true;
    memoText_.setText(u"");
    blanking_ = false;
    tell(why.fault() == StoreFault::NotFound ? texts::memoMissing(book_->name(k))
                                             : texts::memoNotAFile(book_->name(k)));
}

// A keystroke in an unopened memo: one whose file is still missing is written as any save is;
// one whose name holds something other than a plain file is refused, and nothing is followed.
// A file that has come meanwhile is opened instead, so that it is not written over.
bool MemoWindow::editRefused() {
    if (!unopened_ || *unopened_ != memoList_.selectedRow() || memoList_.selectedTitle().empty())
        return false;
    const int k = *unopened_;
    const EntryKind kind = book_->kind(k);
    if (kind == EntryKind::Missing) return false;
    memoText_.showAgain();
    if (kind == EntryKind::File) {
        memoList_.setSelected(k);
    } else {
        tell(texts::memoNotAFile(book_->name(k)));
    }
    return true;
}

}  // namespace tetomu
