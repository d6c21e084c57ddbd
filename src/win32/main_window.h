#pragma once
// The window `memo` on Win32: the frame, its icon and menu bar, the check box and the label at
// their places for the monitor's dpi, the shortcuts and the tab sequence, and the message loop.
// It draws the check box from the core, and turns each menu command and click into one call on
// MemoWindow. The list, the text box and the menu bar are MemoListView's, MemoTextEdit's and
// MainMenu's; the mutex, the boxes and keeping in front are Win32Platform's. It holds no rule
// about memos and no copy of the titles.
#include <windows.h>

#include "win32/main_menu.h"
#include "win32/memo_list_view.h"
#include "win32/memo_text_edit.h"
#include "win32/win32_platform.h"
#include "window/controls.h"
#include "window/memo_window.h"

namespace tetomu {

class FileSystem;
class TextCodec;

class MainWindow final : private CheckBox::Observer {
  public:
    MainWindow(HINSTANCE instance, FileSystem& files, const TextCodec& codec,
               FrameOptions options = {});
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window and its controls, hidden, without reading anything.
    void create();
    // load: refuses a second copy, fills the list and shows the window in front. On a
    // refused file call the error box has been shown when this returns Failed.
    StartResult start();
    // Runs the message loop until the window is closed or a run-time error ends the program;
    // returns the exit status.
    int run();
    // Shortcuts, select-all and the tab sequence; true when the message was used up.
    bool preTranslate(MSG& msg);

    HWND hwnd() const { return hwnd_; }
    HWND list() const { return list_.hwnd(); }
    HWND check() const { return check_; }
    HWND label() const { return label_; }
    HWND edit() const { return text_.hwnd(); }
    HMENU menu() const { return menu_.bar(); }
    MemoWindow& window() { return window_; }
    const Win32Platform& platform() const { return platform_; }
    int dpi() const { return dpi_; }

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id, int code);

    void createControls();
    void placeControls();
    void nameForScreenReaders();
    void moveTabFocus(bool backwards);

    void valueChanged() override;

    HINSTANCE instance_;
    Win32Platform platform_;
    MemoWindow window_;
    MemoListView list_{window_};
    MemoTextEdit text_{window_};
    MainMenu menu_{window_};
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
