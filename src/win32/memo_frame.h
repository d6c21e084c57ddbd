#pragma once
// The window `memo` on native Win32 controls. It draws what the core's controls hold, follows
// their notices, turns each of a person's actions into one call on MemoWindow, and fills
// WindowPlatform. It holds no rule about memos and no copy of the titles: every decision and
// every title is the core's.
//
// A person's actions: a press and release on a row of the list is one pick of the row pressed,
// however the pointer moves (a double-click is one pick too); a key that moves the selection is
// one pick of the row the core names; an edit of the text box is the span between the parts of
// the text that stayed as they were.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "store/base_path.h"
#include "window/controls.h"
#include "window/memo_window.h"
#include "window/window_platform.h"

namespace tetomu {

class FileSystem;
class TextCodec;

struct FrameOptions {
    // The folder the memo folder sits in; empty means the folder of the program file.
    NativeString programDirectory;
    // The name by which copies of the program in one session find each other.
    std::wstring singleCopyName = L"Local\\tetomu.memo.single-copy";
};

// The controls' identifiers; a menu command's is menuId() of it.
enum : int {
    kIdList1 = 201,
    kIdCheck1 = 202,
    kIdLabel3 = 203,
    kIdTxtmemo = 204,
};

// The identifier of a menu command, for the menu bar and the shortcuts.
inline constexpr int kIdFirstCommand = 101;
constexpr int menuId(Command command) {
    return kIdFirstCommand + int(command);
}

class MemoFrame final : public WindowPlatform,
                        private ListBox::Observer,
                        private TextBox::Observer,
                        private CheckBox::Observer,
                        private MenuItem::Observer {
  public:
    MemoFrame(HINSTANCE instance, FileSystem& files, const TextCodec& codec,
              FrameOptions options = {});
    MemoFrame(const MemoFrame&) = delete;
    MemoFrame& operator=(const MemoFrame&) = delete;
    ~MemoFrame() override;

    // Creates the window and its controls, hidden, without reading anything.
    void create();
    // Form_Load: refuses a second copy, fills the list and shows the window in front. On a
    // refused file call the error box has been shown when this returns Failed.
    StartResult start();
    // Runs the message loop until the window is closed or a run-time error ends the program;
    // returns the exit status.
    int run();
    // Shortcuts, select-all and the tab sequence; true when the message was used up.
    bool preTranslate(MSG& msg);

    HWND hwnd() const { return hwnd_; }
    HWND list() const { return list_; }
    HWND check() const { return check_; }
    HWND label() const { return label_; }
    HWND edit() const { return edit_; }
    HMENU menu() const { return menu_; }
    MemoWindow& window() { return window_; }
    int dpi() const { return dpi_; }

    // WindowPlatform.
    bool anotherCopyRunning() override;
    NativeString programDirectory() override;
    void showMessage(const std::u16string& text) override;
    void keepInFront(bool inFront) override;
    void afterShown(std::function<void()> task) override;
    void showRuntimeError(const std::u16string& text) override;

  private:
    static LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleList(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleEdit(UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id, int code);

    void createControls();
    void createMenu();
    void placeControls();
    void nameForScreenReaders();
    void moveTabFocus(bool backwards);
    void textEdited();
    int rowsPerPage() const;

    // ListBox::Observer: the list box follows each notice at once.
    void aboutToReset() override;
    void reset() override;
    void inserted(int row) override;
    void removed(int row) override;
    void changed(int row) override;
    void selectionChanged() override;
    void insertRow(int row);
    // TextBox::Observer.
    void textAssigned() override;
    void editRefitted(const TextEdit& refit) override;
    // CheckBox::Observer.
    void valueChanged() override;
    // MenuItem::Observer.
    void checkedChanged() override;

    HINSTANCE instance_;
    FrameOptions options_;
    MemoWindow window_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HWND check_ = nullptr;
    HWND label_ = nullptr;
    HWND edit_ = nullptr;
    HMENU menu_ = nullptr;
    HMENU inFrontMenu_ = nullptr;
    HACCEL shortcuts_ = nullptr;
    HFONT font_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HANDLE singleCopy_ = nullptr;
    HWND lastFocus_ = nullptr;
    int dpi_ = 96;

    WNDPROC oldListProc_ = nullptr;
    WNDPROC oldEditProc_ = nullptr;
    // A composition's result has come since it started.
    bool resultCame_ = false;
    // The row a press on the list began on, until its release.
    int pressedRow_ = -1;
    // The text box's text as shown, to find what an edit changed; and a guard while the core's
    // text is put into it, whose EN_CHANGE is not a person's edit.
    std::u16string shown_;
    bool assigning_ = false;
    // The list box takes the rows once the window is on screen.
    bool filled_ = false;
    bool started_ = false;
    int exitCode_ = 0;
    std::vector<std::function<void()>> afterShown_;
};

}  // namespace tetomu
