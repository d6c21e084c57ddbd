#include "qt/memo_list_model.h"

#include "qt/text_conversion.h"

namespace tetomu {

int MemoListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(titles_.size());
}

QVariant MemoListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return toListText(titles_[std::size_t(index.row())]);
}

bool MemoListModel::replaceAll(const std::vector<std::u16string>& titles) {
    if (titles.size() != titles_.size()) {
        beginResetModel();
        titles_ = titles;
        endResetModel();
        return false;
    }
    // Changed rows usually come alone (the title being typed); neighbours are reported together.
    int first = -1;
    for (std::size_t i = 0; i <= titles.size(); ++i) {
        const bool changed = i < titles.size() && titles_[i] != titles[i];
        if (changed) {
            titles_[i] = titles[i];
            if (first < 0) first = int(i);
        } else if (first >= 0) {
            emit dataChanged(index(first), index(int(i) - 1), {Qt::DisplayRole});
            first = -1;
        }
    }
    return true;
}

void MemoListModel::insertRow(int row, const std::u16string& title) {
    beginInsertRows({}, row, row);
    titles_.insert(titles_.begin() + row, title);
    endInsertRows();
}

void MemoListModel::removeRow(int row) {
    beginRemoveRows({}, row, row);
    titles_.erase(titles_.begin() + row);
    endRemoveRows();
}

void MemoListModel::changeRow(int row, const std::u16string& title) {
    titles_.at(std::size_t(row)) = title;
    emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

}  // namespace tetomu
