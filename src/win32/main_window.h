#pragma once
// The window `memo` on Win32: the frame, its icon and menu bar, the check box and the label at
// their places for the monitor's dpi, the shortcuts and the tab sequence. It draws the check box
// from the core, and turns each menu command and click into one call on MemoWindow. The list,
// the text box and the menu bar are MemoListView's, MemoTextEdit's and MainMenu's; the mutex,
// the boxes and keeping in front are Win32Platform's; the message loop is App's. It holds no
// rule about memos and no copy of the titles.
#include <windows.h>

#include "win32/main_menu.h"
#include "win32/memo_list_view.h"
#include "win32/memo_text_edit.h"
#include "win32/win32_platform.h"
#include "window/controls.h"
#include "window/memo_window.h"

namespace tetomu {

class MainWindow final : private CheckBox::Observer {
  public:
    // Creates the window and its controls, hidden, and gives the platform the window.
    MainWindow(HINSTANCE instance, MemoWindow& core, Win32Platform& platform);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // For the message loop: shortcuts, select-all and the tab sequence; true when the message
    // was used up.
    bool preTranslate(MSG& msg);

    HWND hwnd() const { return hwnd_; }
    HWND list() const { return list_.hwnd(); }
    HWND check() const { return check_; }
    HWND label() const { return label_; }
    HWND edit() const { return text_.hwnd(); }
    HMENU menu() const { return menu_.bar(); }
    int dpi() const { return dpi_; }

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id, int code);

    void create();
    void createControls();
    void placeControls();
    void nameForScreenReaders();
    void moveTabFocus(bool backwards);

    void valueChanged() override;

    HINSTANCE instance_;
    MemoWindow& core_;
    Win32Platform& platform_;
    MemoListView list_{core_};
    MemoTextEdit text_{core_};
    MainMenu menu_{core_};
    HWND hwnd_ = nullptr;
    HWND check_ = nullptr;
    HWND label_ = nullptr;
    HFONT font_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HWND lastFocus_ = nullptr;
    int dpi_ = 96;
};

}  // namespace tetomu
