#include "qt/memo_text_edit.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <utility>

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
    setPlainText(toQString(toDisplay(core_.memoText().text(), u"\n")));
    blocks_ = document()->blockCount();
    pending_.clear();
    reassigned_ = true;
    assigning_ = false;
}

void MemoTextEdit::textReloaded() {
    const int caret = textCursor().position();
    textAssigned();
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::min(caret, document()->characterCount() - 1));
    setTextCursor(cursor);
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
    if (preediting_ && !inInputMethod_) {
        // A change from elsewhere while a composition was left open (its preedit dropped without
        // a word from the input method): what the composition did is kept as the box shows it,
        // and this change is an edit of its own, never held.
        preediting_ = false;
        core_.userCloseComposition(true);
    }
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
        reassigned_ = false;
        core_.userEdit(p.edit);
        // The core put a text of its own in the box: the rest of the edits were of another one.
        if (reassigned_) break;
    }
}

void MemoTextEdit::editRefitted(const TextEdit& refit) {
    // Before the span the memo and the screen agree: each CR LF there is one paragraph.
    const std::u16string& memo = core_.memoText().text();
    int at = int(refit.at);
    for (std::size_t i = 1; i < refit.at; ++i) {
        if (memo[i - 1] == u'\r' && memo[i] == u'\n') --at;
    }
    // The span as shown: as many of the memo's units, a paragraph standing for two.
    QTextCursor cursor(document());
    cursor.setPosition(at);
    cursor.setPosition(std::min(at + int(refit.removed), document()->characterCount() - 1),
                       QTextCursor::KeepAnchor);
    const QString shown = cursor.selectedText();
    int length = 0;
    for (std::size_t units = 0; units < refit.removed && length < shown.size(); ++length)
        units += shown[length] == QChar::ParagraphSeparator ? 2 : 1;
    show(at, length, toDisplay(refit.inserted, u"\n"));
}

void MemoTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Every event is part of a composition, a lone one too (the empty preedit that comes with
    // the focus, a commit of its own): what it leaves as it was is no edit.
    core_.userCompose();
    inInputMethod_ = true;
    QPlainTextEdit::inputMethodEvent(event);
    inInputMethod_ = false;
    const bool wasPreediting = std::exchange(preediting_, !event->preeditString().isEmpty());
    if (preediting_) {
        // A composition at the right edge is shown, once the document has laid it out.
        QTimer::singleShot(0, this, [this] { showComposition(); });
        return;
    }
    const bool committed = !event->commitString().isEmpty() || event->replacementLength() > 0;
    core_.userCloseComposition(committed);
    // A cancelled composition is forgotten by the input method too: some commit it later, when
    // the focus leaves, into whatever memo is open by then. Told once this event has returned,
    // as the input method sets its own state after sending it.
    if (wasPreediting && !committed)
        QTimer::singleShot(0, this, [] { QGuiApplication::inputMethod()->reset(); });
}

// The whole composition is scrolled into view, its end too: while it is converted its cursor
// stays at its start, which is all that ensureCursorVisible() looks at.
void MemoTextEdit::showComposition() {
    ensureCursorVisible();
    const QTextBlock block = textCursor().block();
    const QTextLayout* layout = block.layout();
    if (!layout || layout->preeditAreaText().isEmpty()) return;
    const int end = layout->preeditAreaPosition() + int(layout->preeditAreaText().size());
    const QTextLine line = layout->lineForTextPosition(end);
    if (!line.isValid()) return;
    const int right =
        int(blockBoundingGeometry(block).translated(contentOffset()).left() + line.cursorToX(end)) +
        cursorWidth();
    const int beyond = right - viewport()->width();
    if (beyond > 0) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + beyond);
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
