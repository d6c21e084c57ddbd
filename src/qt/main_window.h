#pragma once
// The window `memo`: its four controls at their places, the icon, and the keep-in-front state.
// It draws the check box from the core; the list, the text box and the menu bar (MainMenu) draw
// themselves. The platform seam is QtPlatform's, and App puts them together.
#include <QMainWindow>
#include <optional>

#include "qt/main_menu.h"
#include "window/controls.h"
#include "window/memo_window.h"

class QCheckBox;
class QLabel;

namespace tetomu {

class MemoWindow;
class MemoListView;
class MemoTextEdit;

class MainWindow final : public QMainWindow, private CheckBox::Observer {
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
    const MainMenu& menu() const { return *menu_; }

  private:
    void buildControls();
    void valueChanged() override;

    MemoWindow& core_;
    MemoListView* list_ = nullptr;
    QCheckBox* check_ = nullptr;
    QLabel* label_ = nullptr;
    MemoTextEdit* text_ = nullptr;
    std::optional<MainMenu> menu_;
};

}  // namespace tetomu
