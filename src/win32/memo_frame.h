#pragma once
// The window `memo` on native Win32 controls. It draws what the core's controls hold, mirrors
// their changes made from code, turns each of a person's actions into one call on MemoWindow,
// and fills WindowPlatform. It holds no rule about memos: every decision is the core's.
#include <windows.h>

#include <memory>
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
    // The name by which copies of the program find each other.
    std::wstring singleCopyName = L"Local\\tetomu.memo.single-copy";
};

// Command identifiers of the menu bar and the shortcuts, and the controls' identifiers.
enum : int {
    kIdNew = 101,
    kIdDelete = 102,
    kIdKeepInFront = 103,
    kIdRelease = 104,
    kIdVersion = 105,
    kIdList1 = 201,
    kIdCheck1 = 202,
    kIdLabel3 = 203,
    kIdTxtmemo = 204,
};

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
    // Shortcuts and the tab sequence; true when the message was used up.
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
    void MsgBox(const std::u16string& prompt) override;
    void SetWindowPos(InsertAfter insertAfter, unsigned flags) override;
    void runtimeError(const std::u16string& text) override;

  private:
    static LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleList(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id, int code);

    void createControls();
    void createMenu();
    void moveTabFocus(bool backwards);

    // A person's actions, each one call on the window.
    void listSelectionChanged();
    bool listTracking() const;
    void userSelectCurrent();
    void afterAction();

    // Brings the native controls up to what the core's controls hold.
    void syncList();
    void syncCheck();
    void syncMenu();

    // ListBox::Observer: the list is brought up to date at the end of the action, or before a
    // message box, so a reload that changes one title repaints one row.
    // A keystroke only changes rows the core names; anything else is compared row by row.
    void itemsReset() override { listStale_ = listReshaped_ = true; }
    void itemsReloaded(const std::vector<int>& rows) override {
        listStale_ = true;
        changedRows_.insert(changedRows_.end(), rows.begin(), rows.end());
    }
    void itemAdded(int) override { listStale_ = listReshaped_ = true; }
    void itemRemoved(int) override { listStale_ = listReshaped_ = true; }
    void itemChanged(int row) override {
        listStale_ = true;
        changedRows_.push_back(row);
    }
    void itemSelected(int) override { listStale_ = true; }
    // TextBox::Observer.
    void textAssigned() override;
    // CheckBox::Observer.
    void valueChanged() override { syncCheck(); }
    // MenuItem::Observer.
    void checkedChanged() override { syncMenu(); }

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

    // What the native list shows, so a reload rewrites only the rows that changed.
    std::vector<std::u16string> shownItems_;
    bool listStale_ = false;
    bool listReshaped_ = false;
    std::vector<int> changedRows_;
    // A mouse press on the list is one click, made when the list box has finished with it.
    WNDPROC oldListProc_ = nullptr;
    int listDepth_ = 0;
    bool listPressed_ = false;
    bool listPressOnSelected_ = false;
    bool listClickPending_ = false;
    // Set while the edit box takes a text from the core, whose EN_CHANGE is not a person's edit.
    bool assigning_ = false;
    bool started_ = false;
    int exitCode_ = 0;
};

}  // namespace tetomu
