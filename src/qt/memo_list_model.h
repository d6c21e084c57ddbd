#pragma once
// The rows that memoList shows, read from the core's list as the view asks for them: no copy of the
// titles is kept here. The core's paired notices become the model's begin/end calls, so a
// keystroke that changes one title repaints one row, even in a list of 32767 memos.
//
// The rows come once the window is on screen (fill()): laying out a list of 32767 rows takes
// the view longer than all the rest of the start, and it need not keep the window from showing.
#include <QAbstractListModel>
#include <functional>

#include "window/controls.h"

namespace tetomu {

class MemoListModel final : public QAbstractListModel, private ListBox::Observer {
    Q_OBJECT
  public:
    MemoListModel(const ListBox& list, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void fill();
    // The core's selection changed; the view shows it.
    std::function<void()> onSelectionChanged;
    ListBox::Observer* observer() { return this; }

  private:
    void aboutToReset() override {
        if (filled_) beginResetModel();
    }
    void reset() override {
        if (filled_) endResetModel();
    }
    void aboutToInsert(int row) override {
        if (filled_) beginInsertRows({}, row, row);
    }
    void inserted(int) override {
        if (filled_) endInsertRows();
    }
    void aboutToRemove(int row) override {
        if (filled_) beginRemoveRows({}, row, row);
    }
    void removed(int) override {
        if (filled_) endRemoveRows();
    }
    void changed(int row) override;
    void selectionChanged() override;

    const ListBox& list_;
    bool filled_ = false;
};

}  // namespace tetomu
