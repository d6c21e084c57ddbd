#pragma once
// memoList on screen. It shows the core's list and its selection, and turns a person's actions into
// one call each: a press and release on a row is one pick of the row pressed, however the
// pointer moves in between (a double-click is one pick too), and a key that moves the selection
// is one pick of the row the core names, and so is a row selected through the accessibility
// interface. The widget never selects anything by itself.
#include <QListView>

#include "qt/memo_list_model.h"

namespace tetomu {

class MemoWindow;

class MemoListView final : public QListView {
    Q_OBJECT
  public:
    MemoListView(MemoWindow& core, QWidget* parent);
    ~MemoListView() override;

    // The selected row as the widget shows it, -1 for none.
    int selectedRow() const;
    // Shows the core's rows; called once the window is on screen.
    void fill() { model_.fill(); }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString&) override {}
    // Moving the current row selects nothing, also where the view moves it itself (off a row
    // being removed).
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex&,
                                                         const QEvent*) const override {
        return QItemSelectionModel::NoUpdate;
    }
    void focusInEvent(QFocusEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;

  private:
    void onWidgetSelection();
    void showSelection();
    void showRow();
    int rowsPerPage() const;

    MemoWindow& core_;
    MemoListModel model_;
    int pressedRow_ = -1;
    int shownRow_ = -1;
    bool showing_ = false;
};

}  // namespace tetomu
