#pragma once
// List1 on screen. It mirrors the core's ListBox, and turns a person's click on a row (also on
// the row already selected) and each keyboard move of the selection into one userSelect().
// Only the mouse and key handlers call the core, so a selection made from code is never echoed.
#include <QListView>

#include "qt/memo_list_model.h"
#include "window/controls.h"

namespace tetomu {

class MemoWindow;

class MemoListView final : public QListView, private ListBox::Observer {
    Q_OBJECT
  public:
    MemoListView(MemoWindow& core, QWidget* parent);
    ~MemoListView() override;

    // The selected row as the widget shows it, -1 for none.
    int selectedRow() const;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;

  private:
    void itemsReset() override;
    void itemsReloaded(const std::vector<int>& changedRows) override;
    void itemAdded(int index) override;
    void itemRemoved(int index) override;
    void itemChanged(int index) override;
    void itemSelected(int index) override;

    void holdScroll();
    // Shows the core's selection with the list scrolled where the person left it, moved only
    // as far as it takes to show the selected row.
    void settle();

    MemoWindow& core_;
    MemoListModel model_;
    bool holding_ = false;
    int heldScroll_ = 0;
};

}  // namespace tetomu
