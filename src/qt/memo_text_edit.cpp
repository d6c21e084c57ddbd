#include "qt/memo_text_edit.h"

#include "qt/text_conversion.h"
#include "window/memo_window.h"

namespace tetomu {

MemoTextEdit::MemoTextEdit(MemoWindow& core, QWidget* parent)
    : QPlainTextEdit(parent), core_(core) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in any text box of a dialog-like window.
    setTabChangesFocus(true);
    core_.txtmemo.setObserver(this);
    connect(this, &QPlainTextEdit::textChanged, this, &MemoTextEdit::onTextChanged);
    textAssigned();
}

MemoTextEdit::~MemoTextEdit() {
    core_.txtmemo.setObserver(nullptr);
}

void MemoTextEdit::textAssigned() {
    assigning_ = true;
    setPlainText(toEditorText(core_.txtmemo.Text()));
    lastText_ = document()->toRawText();
    assigning_ = false;
}

void MemoTextEdit::onTextChanged() {
    if (assigning_) return;
    QString text = document()->toRawText();
    if (text == lastText_) return;
    lastText_ = std::move(text);
    core_.userEdit(fromEditorText(lastText_));
}

}  // namespace tetomu
