#pragma once
// txtmemo on screen: a plain text box without wrapping and with both scroll bars. It shows the
// core's TextBox and passes each change a person makes (a key, a paste, a cut, an undo, a
// committed input-method composition) to userEdit(), once. Text assigned from code is shown
// without being passed back.
#include <QPlainTextEdit>

#include "window/controls.h"

namespace tetomu {

class MemoWindow;

class MemoTextEdit final : public QPlainTextEdit, private TextBox::Observer {
    Q_OBJECT
  public:
    MemoTextEdit(MemoWindow& core, QWidget* parent);
    ~MemoTextEdit() override;

  private:
    void textAssigned() override;
    void onTextChanged();

    MemoWindow& core_;
    // The document text last shown or passed on; a change signal that leaves it as it was (a
    // composition still in progress, a format change) is not an edit.
    QString lastText_;
    bool assigning_ = false;
};

}  // namespace tetomu
