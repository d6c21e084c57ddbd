#pragma once
// memoText on screen: a plain text box without wrapping and with both scroll bars. It shows the
// core's text (window/display_text.h) and passes each change a person makes (a key, a paste, a
// cut, an undo) to userEdit() once, as the span that changed: the document's line breaks are
// one unit each where the memo has CR LF, so positions are mapped through the paragraph count.
// Each input-method event is passed inside userCompose() and, once its preedit is gone,
// userCloseComposition(): the core makes the composition one change. Text assigned from code is
// shown without being passed back, and where the core takes an edit otherwise than typed (or
// puts back what a cancelled composition took away), the box shows what it took.
#include <QPlainTextEdit>
#include <vector>

#include "store/text_fit.h"
#include "window/controls.h"

namespace tetomu {

class MemoWindow;

class MemoTextEdit final : public QPlainTextEdit, private TextBox::Observer {
    Q_OBJECT
  public:
    MemoTextEdit(MemoWindow& core, QWidget* parent);
    ~MemoTextEdit() override;

  protected:
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    // An edit as the document reported it, and as the memo has it.
    struct Pending {
        int at;
        int added;
        TextEdit edit;
    };

    void textAssigned() override;
    void textReloaded() override;
    void editRefitted(const TextEdit& refit) override;
    void onContentsChange(int at, int removed, int added);
    void onTextChanged();
    void showComposition();
    // Replaces shown characters without passing the change on.
    void show(int at, int length, const std::u16string& text);

    MemoWindow& core_;
    bool assigning_ = false;
    int blocks_ = 1;
    std::vector<Pending> pending_;
    bool reassigned_ = false;
    bool preediting_ = false;
    bool inInputMethod_ = false;
};

}  // namespace tetomu
