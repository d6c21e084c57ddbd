#pragma once
// The rows that List1 shows: a copy of the core's titles, kept in step through ListBox::Observer
// calls that the view passes on. A reload is compared row by row, so a keystroke that changes
// one title repaints one row, even in a list of 32767 memos.
#include <QAbstractListModel>
#include <string>
#include <vector>

namespace tetomu {

class MemoListModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Returns false when the row count changed and the whole model was reset.
    bool replaceAll(const std::vector<std::u16string>& titles);
    void insertRow(int row, const std::u16string& title);
    void removeRow(int row);
    void changeRow(int row, const std::u16string& title);

  private:
    std::vector<std::u16string> titles_;
};

}  // namespace tetomu
