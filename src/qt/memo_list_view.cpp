#include "qt/memo_list_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "window/memo_window.h"

namespace tetomu {

MemoListView::MemoListView(MemoWindow& core, QWidget* parent)
    : QListView(parent), core_(core), model_(core.memoList(), this) {
    setModel(&model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Titles wider than the list are cut at its right edge, without an ellipsis.
    setTextElideMode(Qt::ElideNone);
    model_.onSelectionChanged = [this] { showSelection(); };
    core_.observeList(model_.observer());
    // Only a screen reader's "Toggle" on a row, or its selecting a row of the table, changes the
    // widget's selection otherwise than showSelection() does.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { onWidgetSelection(); });
}

MemoListView::~MemoListView() {
    core_.observeList(nullptr);
}

int MemoListView::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MemoListView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QModelIndex hit = indexAt(event->position().toPoint());
    // Only a left press on a row can become a pick; below the last row nothing happens.
    pressedRow_ = event->button() == Qt::LeftButton && hit.isValid() ? hit.row() : -1;
    event->accept();
}

void MemoListView::mouseMoveEvent(QMouseEvent* event) {
    // Moving with the button down picks nothing more.
    event->accept();
}

void MemoListView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const int row = std::exchange(pressedRow_, -1);
    if (row >= 0) core_.userSelect(row);
}

void MemoListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is not another pick; its release is ignored too.
    pressedRow_ = -1;
    event->accept();
}

int MemoListView::rowsPerPage() const {
    const int rowHeight = sizeHintForRow(0);
    return rowHeight > 0 ? std::max(1, viewport()->height() / rowHeight) : 1;
}

void MemoListView::keyPressEvent(QKeyEvent* event) {
    ListKey key = ListKey::Down;
    switch (event->key()) {
        case Qt::Key_Up:
            key = ListKey::Up;
            break;
        case Qt::Key_Down:
            key = ListKey::Down;
            break;
        case Qt::Key_PageUp:
            key = ListKey::PageUp;
            break;
        case Qt::Key_PageDown:
            key = ListKey::PageDown;
            break;
        case Qt::Key_Home:
            key = ListKey::Home;
            break;
        case Qt::Key_End:
            key = ListKey::End;
            break;
        case Qt::Key_Space:
        case Qt::Key_Select:
            // Selects nothing by itself: the core's selection is the only one.
            event->accept();
            return;
        default: {
            // A letter moves to the next title that starts with it, as one pick.
            const QString text = event->text();
            const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            if (plain && text.size() == 1 && text[0].isPrint() && !text[0].isSpace()) {
                event->accept();
                core_.userListLetter(text[0].unicode());
                return;
            }
            QListView::keyPressEvent(event);
            return;
        }
    }
    event->accept();
    const QModelIndex top = indexAt(QPoint(1, 1));
    core_.userListKey(key, rowsPerPage(), top.isValid() ? top.row() : 0);
}

void MemoListView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    // The view gives its first row the focus frame when it gets the focus; with nothing selected
    // no row may look as if it were.
    if (core_.memoList().selectedRow() < 0)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void MemoListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    // A changed title only needs its row repainted: every row has the same size and the list
    // never scrolls sideways. QListView would lay out all rows again, on every keystroke.
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

// A row selected through the accessibility interface is one pick, as a click is. A row it only
// unselected (its toggle clears the selection before it selects) is shown again as the core holds
// it, once nothing follows.
void MemoListView::onWidgetSelection() {
    if (showing_) return;
    const int row = selectedRow();
    if (row >= 0 && row != core_.memoList().selectedRow()) core_.userSelect(row);
    if (selectedRow() == core_.memoList().selectedRow()) return;
    QTimer::singleShot(0, this, [this] {
        if (selectedRow() != core_.memoList().selectedRow()) showSelection();
    });
}

void MemoListView::showSelection() {
    showing_ = true;
    showRow();
    showing_ = false;
}

void MemoListView::showRow() {
    const int row = core_.memoList().selectedRow();
    if (row < 0) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        return;
    }
    const QModelIndex index = model_.index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    // A save selects its memo again: the list stays where the person scrolled it. A new pick is
    // brought into view.
    if (row != shownRow_) scrollTo(index, QAbstractItemView::EnsureVisible);
    shownRow_ = row;
}

}  // namespace tetomu
