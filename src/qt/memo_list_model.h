#pragma once
// The rows that List1 shows, read from the core's list as the view asks for them: no copy of the
// titles is kept here. The core's paired notices become the model's begin/end calls, so a
// keystroke that changes one title repaints one row, even in a list of 32767 memos.
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

    // The core's selection changed; the view shows it.
    std::function<void()> onSelectionChanged;
    ListBox::Observer* observer() { return this; }

  private:
    void aboutToReset() override { beginResetModel(); }
    void reset() override { endResetModel(); }
    void aboutToInsert(int row) override { beginInsertRows({}, row, row); }
    void inserted(int) override { endInsertRows(); }
    void aboutToRemove(int row) override { beginRemoveRows({}, row, row); }
    void removed(int) override { endRemoveRows(); }
    void changed(int row) override;
    void selectionChanged() override;

    const ListBox& list_;
};

}  // namespace tetomu
