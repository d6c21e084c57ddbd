#include "qt/memo_text_edit.h"

#include <QTextBlock>
#include <QTextDocument>

#include "qt/text_conversion.h"
#include "window/display_text.h"
#include "window/memo_window.h"

namespace tetomu {
namespace {

// What the document holds for shown text: a line break is a paragraph separator.
QString inDocument(const std::u16string& shown) {
    QString text = toQString(shown);
    text.replace(QLatin1Char('\n'), QChar::ParagraphSeparator);
    return text;
}

}  // namespace

MemoTextEdit::MemoTextEdit(MemoWindow& core, QWidget* parent)
    : QPlainTextEdit(parent), core_(core) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in any text box of a dialog-like window.
    setTabChangesFocus(true);
    core_.observeText(this);
    connect(document(), &QTextDocument::contentsChange, this, &MemoTextEdit::onContentsChange);
    connect(this, &QPlainTextEdit::textChanged, this, &MemoTextEdit::onTextChanged);
    textAssigned();
}

MemoTextEdit::~MemoTextEdit() {
    core_.observeText(nullptr);
}

void MemoTextEdit::textAssigned() {
    assigning_ = true;
    setPlainText(toQString(toDisplay(core_.text().Text(), u"\n")));
    blocks_ = document()->blockCount();
    pending_.clear();
    reassigned_ = true;
    assigning_ = false;
}

void MemoTextEdit::onContentsChange(int at, int removed, int added) {
    if (assigning_) return;
    QTextDocument* doc = document();
    // A change that reaches the end is reported with the closing paragraph mark on both sides.
    const int length = doc->characterCount() - 1;
    const int beyond = std::max(0, at + added - length);
    added -= beyond;
    removed = std::max(0, removed - beyond);
    QTextCursor cursor(doc);
    cursor.setPosition(at);
    cursor.setPosition(at + added, QTextCursor::KeepAnchor);
    const QString inserted = cursor.selectedText();
    const int breaksInserted = int(inserted.count(QChar::ParagraphSeparator));
    const int breaksRemoved = blocks_ - doc->blockCount() + breaksInserted;
    blocks_ = doc->blockCount();
    // Each paragraph before the change stands for the two units of a CR LF.
    const auto memoAt = std::size_t(at + doc->findBlock(at).blockNumber());
    pending_.push_back(
        {at, added,
         TextEdit{memoAt, std::size_t(removed + breaksRemoved), fromDisplay(toU16(inserted))}});
}

void MemoTextEdit::onTextChanged() {
    if (assigning_ || pending_.empty()) return;
    const std::vector<Pending> edits = std::move(pending_);
    pending_.clear();
    for (const Pending& p : edits) {
        // A line break typed another way (Shift+Enter gives a line separator) is shown as the
        // memo holds it: a paragraph.
        const std::u16string shown = toDisplay(p.edit.inserted, u"\n");
        QTextCursor cursor(document());
        cursor.setPosition(p.at);
        cursor.setPosition(p.at + p.added, QTextCursor::KeepAnchor);
        if (cursor.selectedText() != inDocument(shown)) show(p.at, p.added, shown);
        current_ = &p;
        reassigned_ = false;
        core_.userEdit(p.edit);
        current_ = nullptr;
        // The core put a text of its own in the box: the rest of the edits were of another one.
        if (reassigned_) break;
    }
}

void MemoTextEdit::editRefitted(const TextEdit& refit) {
    if (!current_) return;
    // The refitted span starts at the edit or one kept byte before it, and reaches at most one
    // unit past it; neither is a line break.
    const TextEdit& typed = current_->edit;
    const std::size_t before = typed.at - refit.at;
    const std::size_t after = refit.removed - before - typed.inserted.size();
    const int at = current_->at - int(before);
    const int length = int(before + toDisplay(typed.inserted, u"\n").size() + after);
    show(at, length, toDisplay(refit.inserted, u"\n"));
}

void MemoTextEdit::show(int at, int length, const std::u16string& text) {
    assigning_ = true;
    QTextCursor cursor(document());
    cursor.setPosition(at);
    cursor.setPosition(at + length, QTextCursor::KeepAnchor);
    cursor.insertText(toQString(text));
    blocks_ = document()->blockCount();
    setTextCursor(cursor);
    assigning_ = false;
}

}  // namespace tetomu
