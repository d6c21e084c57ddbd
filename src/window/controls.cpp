#include "window/controls.h"

#include <stdexcept>
#include <utility>

namespace tetomu {
namespace {

void raise(const std::function<void()>& handler) {
    if (handler) handler();
}

}  // namespace

std::u16string ListBox::Text() const {
    return index_ < 0 ? std::u16string() : items_[std::size_t(index_)];
}

void ListBox::setList(int i, std::u16string text) {
    items_.at(std::size_t(i)) = std::move(text);
    if (observer_) observer_->itemChanged(i);
}

void ListBox::AddItem(std::u16string text) {
    items_.push_back(std::move(text));
    if (observer_) observer_->itemAdded(ListCount() - 1);
}

void ListBox::RemoveItem(int i) {
    if (i < 0 || i >= ListCount()) throw std::out_of_range("ListBox::RemoveItem");
    items_.erase(items_.begin() + i);
    if (index_ == i) {
        index_ = -1;
    } else if (index_ > i) {
        --index_;
    }
    if (observer_) observer_->itemRemoved(i);
}

void ListBox::Clear() {
    Reload({});
}

void ListBox::Reload(std::vector<std::u16string> items) {
    items_ = std::move(items);
    index_ = -1;
    if (observer_) observer_->itemsReset();
}

void ListBox::ReloadChanged(std::vector<std::pair<int, std::u16string>> changedRows) {
    std::vector<int> rows;
    rows.reserve(changedRows.size());
    for (auto& [row, text] : changedRows) {
        items_.at(std::size_t(row)) = std::move(text);
        rows.push_back(row);
    }
    index_ = -1;
    if (observer_) observer_->itemsReloaded(rows);
}

void ListBox::setSelected(int i) {
    if (i < 0 || i >= ListCount()) throw std::out_of_range("ListBox::setSelected");
    index_ = i;
    if (observer_) observer_->itemSelected(i);
    raise(onClick);
}

void ListBox::userSelect(int i) {
    if (i < 0 || i >= ListCount()) return;
    index_ = i;
    raise(onClick);
}

void TextBox::setText(std::u16string text) {
    if (text == text_) return;
    text_ = std::move(text);
    if (observer_) observer_->textAssigned();
    raise(onChange);
}

void TextBox::userEdit(std::u16string text) {
    if (text == text_) return;
    text_ = std::move(text);
    raise(onChange);
}

void CheckBox::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    if (observer_) observer_->valueChanged();
    raise(onClick);
}

void CheckBox::userClick() {
    value_ = value_ == 0 ? 1 : 0;
    raise(onClick);
}

void MenuItem::setChecked(bool checked) {
    checked_ = checked;
    if (observer_) observer_->checkedChanged();
}

}  // namespace tetomu
