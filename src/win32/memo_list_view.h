#pragma once
// memoList on a Win32 list box. It shows the core's list and its selection, following each notice
// at once, and turns a person's actions into one call each: a press and its release on a row is
// one pick of the row pressed, however the pointer moves in between (a double-click is one pick
// too); a key or a letter that moves the selection is passed to the core, which names the row.
// The box never selects anything by itself. Where it sits and its font are MainWindow's.
#include <windows.h>

#include "window/controls.h"

namespace tetomu {

class MemoWindow;

class MemoListView final : private ListBox::Observer {
  public:
    explicit MemoListView(MemoWindow& core) : core_(core) {}
    MemoListView(const MemoListView&) = delete;
    MemoListView& operator=(const MemoListView&) = delete;
    ~MemoListView() override;

    // Creates the box in the window, with this identifier, and follows the core's list.
    void create(HWND parent, HINSTANCE instance, int id);
    HWND hwnd() const { return hwnd_; }
    // Shows the core's rows; called once the window is on screen.
    void fill();

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    int rowsPerPage() const;
    void insertRow(int row);

    void aboutToReset() override;
    void reset() override;
    void inserted(int row) override;
    void removed(int row) override;
    void changed(int row) override;
    void selectionChanged() override;

    MemoWindow& core_;
    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    // The row a press began on, until its release.
    int pressedRow_ = -1;
    // The box takes the rows once the window is on screen.
    bool filled_ = false;
};

}  // namespace tetomu
