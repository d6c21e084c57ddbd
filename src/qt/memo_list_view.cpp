#include "qt/memo_list_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "window/memo_window.h"

namespace tetomu {

MemoListView::MemoListView(MemoWindow& core, QWidget* parent) : QListView(parent), core_(core) {
    setModel(&model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Titles wider than the list are cut at its right edge, without an ellipsis.
    setTextElideMode(Qt::ElideNone);
    core_.List1.setObserver(this);
    model_.replaceAll(core_.List1.items());
}

MemoListView::~MemoListView() {
    core_.List1.setObserver(nullptr);
}

int MemoListView::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MemoListView::mousePressEvent(QMouseEvent* event) {
    // Only a left click on a row picks it; a click below the last row changes nothing.
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !hit.isValid()) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QListView::mousePressEvent(event);
    const int row = selectedRow();
    if (row >= 0) core_.userSelect(row);
}

void MemoListView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QListView::mouseMoveEvent(event);
    // Dragging with the button down moves the selection, as it does in a plain list box.
    if (!indexAt(event->position().toPoint()).isValid()) return;
    const int before = selectedRow();
    QListView::mouseMoveEvent(event);
    const int row = selectedRow();
    if (row >= 0 && row != before) core_.userSelect(row);
}

void MemoListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press of the pair was the click; the second is not another one.
    event->accept();
}

void MemoListView::keyPressEvent(QKeyEvent* event) {
    const int before = selectedRow();
    QListView::keyPressEvent(event);
    const int row = selectedRow();
    if (row >= 0 && row != before) core_.userSelect(row);
}

QItemSelectionModel::SelectionFlags MemoListView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    // A person cannot take the selection away (Ctrl+click would); a pick always selects.
    QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
        flags = QItemSelectionModel::ClearAndSelect;
    }
    return flags;
}

void MemoListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    // A changed title only needs its row repainted: every row has the same size and the list
    // never scrolls sideways. QListView would lay out all rows again, on every keystroke.
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void MemoListView::itemsReset() {
    holdScroll();
    if (model_.replaceAll(core_.List1.items())) {
        selectionModel()->clearSelection();
    } else {
        doItemsLayout();
    }
    settle();
}

void MemoListView::itemsReloaded(const std::vector<int>& changedRows) {
    // A keystroke's reload: the core names the rows that changed, so a list of thousands is not
    // compared row by row.
    holdScroll();
    for (const int row : changedRows)
        model_.changeRow(row, core_.List1.List(row));
    selectionModel()->clearSelection();
    settle();
}

void MemoListView::itemAdded(int index) {
    holdScroll();
    model_.insertRow(index, core_.List1.List(index));
    doItemsLayout();
    settle();
}

void MemoListView::itemRemoved(int index) {
    holdScroll();
    model_.removeRow(index);
    doItemsLayout();
    settle();
}

void MemoListView::itemChanged(int index) {
    model_.changeRow(index, core_.List1.List(index));
}

void MemoListView::itemSelected(int) {
    holdScroll();
    settle();
}

void MemoListView::holdScroll() {
    // The first change of a person's action notes where the list stood; the handlers' reloads
    // and re-selections in between are not what the person sees.
    if (holding_) return;
    holding_ = true;
    heldScroll_ = verticalScrollBar()->value();
    QMetaObject::invokeMethod(
        this, [this] { holding_ = false; }, Qt::QueuedConnection);
}

void MemoListView::settle() {
    verticalScrollBar()->setValue(heldScroll_);
    const int row = core_.List1.ListIndex();
    if (row < 0) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model_.index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

}  // namespace tetomu
