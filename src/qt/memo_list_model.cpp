#include "qt/memo_list_model.h"

#include "qt/text_conversion.h"
#include "window/display_text.h"

namespace tetomu {

MemoListModel::MemoListModel(const ListBox& list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {}

int MemoListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !filled_ ? 0 : list_.count();
}

void MemoListModel::fill() {
    if (filled_) return;
    beginResetModel();
    filled_ = true;
    endResetModel();
    selectionChanged();
}

QVariant MemoListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    if (!index.isValid() || index.row() >= rowCount()) return {};
    // A title holds no line break, but may hold a lone CR or LF: each is shown as its symbol.
    return toQString(toDisplay(list_.title(index.row()), u"\n"));
}

void MemoListModel::changed(int row) {
    if (filled_) emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

void MemoListModel::selectionChanged() {
    if (filled_ && onSelectionChanged) onSelectionChanged();
}

}  // namespace tetomu
