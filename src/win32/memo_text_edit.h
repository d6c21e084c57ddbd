#pragma once
// memoText on a Win32 edit box. It shows the core's text and the core's refits of an edit, and
// passes each of a person's edits on as the span between the parts of the text at either end
// that stayed as they were. An input method's composition is passed on as its start and its
// close, the close once the result's characters are in; the core makes one change of the edits
// in between, and of the two halves of a pair typed alone. Where the box sits and its font are
// MainWindow's, as is the EN_CHANGE that its parent receives.
#include <windows.h>

#include <string>

#include "window/controls.h"

namespace tetomu {

class MemoWindow;

class MemoTextEdit final : private TextBox::Observer {
  public:
    explicit MemoTextEdit(MemoWindow& core) : core_(core) {}
    MemoTextEdit(const MemoTextEdit&) = delete;
    MemoTextEdit& operator=(const MemoTextEdit&) = delete;
    ~MemoTextEdit() override;

    // Creates the box in the window, with this identifier, and follows the core's text.
    void create(HWND parent, HINSTANCE instance, int id);
    HWND hwnd() const { return hwnd_; }
    // The box's EN_CHANGE: an edit, unless it is the core's text being put in.
    void changed();

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void edited();
    void closeComposition();
    LRESULT typed(WPARAM wParam, LPARAM lParam);

    void textAssigned() override;
    void textReloaded() override;
    void editRefitted(const TextEdit& refit) override;

    MemoWindow& core_;
    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    // A composition's result has come since it started.
    bool resultCame_ = false;
    // The first half of a pair has been typed outside a composition.
    bool pairOpen_ = false;
    // The text as shown, to find what an edit changed; and a guard while the core's text is put
    // in, whose EN_CHANGE is not a person's edit.
    std::u16string shown_;
    bool assigning_ = false;
};

}  // namespace tetomu
