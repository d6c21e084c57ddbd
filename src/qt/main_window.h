#pragma once
// The window `memo`: its four controls at their places, the menu bar, the icon, and the
// keep-in-front state. It draws the check box and the two "手前" items from the core; the list
// and the text box draw themselves. Each menu command is one choose() call on the core.
#include <QMainWindow>

#include "window/controls.h"
#include "window/memo_window.h"

class QAction;
class QCheckBox;
class QLabel;

namespace tetomu {

class MemoWindow;
class MemoListView;
class MemoTextEdit;

class MainWindow final : public QMainWindow,
                         private CheckBox::Observer,
                         private MenuItem::Observer {
    Q_OBJECT
  public:
    explicit MainWindow(MemoWindow& core);
    ~MainWindow() override;

    // How long after the window is shown the work that can wait begins (the list's rows, the
    // look at the folder): a frame's time, so that the window system has the window first.
    static constexpr int kAfterShowingMs = 20;

    // Keeps the window above all others or releases it, keeping its size and position; shows
    // it when it is not shown yet.
    void placeInFront(bool topmost);

    MemoListView* memoList() const { return list_; }
    QCheckBox* arrangeCheck() const { return check_; }
    QLabel* arrangeLabel() const { return label_; }
    MemoTextEdit* memoText() const { return text_; }
    QAction* action(Command command) const;

  private:
    void buildControls();
    void buildMenu();
    void valueChanged() override;
    void checkedChanged() override;

    MemoWindow& core_;
    MemoListView* list_ = nullptr;
    QCheckBox* check_ = nullptr;
    QLabel* label_ = nullptr;
    MemoTextEdit* text_ = nullptr;
    QAction* actions_[kCommandCount] = {};
    bool showingValue_ = false;
};

}  // namespace tetomu
