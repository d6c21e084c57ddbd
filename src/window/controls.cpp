#include "window/controls.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "store/text_codec.h"

namespace tetomu {
namespace {

void raise(const std::function<void()>& handler) {
    if (handler) handler();
}

}  // namespace

std::string_view ListBox::rowBytes(int i) const {
    if (i < 0 || i >= count()) throw std::out_of_range("ListBox::List");
    const auto begin = starts_[std::size_t(i)];
    return std::string_view(bytes_).substr(begin, starts_[std::size_t(i) + 1] - begin - 2);
}

std::u16string ListBox::title(int i) const {
    return codec_.decode(rowBytes(i));
}

std::u16string ListBox::selectedTitle() const {
    return index_ < 0 ? std::u16string() : title(index_);
}

int ListBox::rowForKey(ListKey key, int rowsPerPage, int topRow) const {
    const int last = count() - 1;
    if (last < 0) return -1;
    const int page = std::max(rowsPerPage, 1) - 1;
    // With nothing selected, Down and Up start at the first memo, the page keys where the list
    // stands.
    const int from = index_ >= 0 ? index_ : std::clamp(topRow, 0, last);
    switch (key) {
        case ListKey::Up:
            return index_ < 0 ? 0 : std::max(index_ - 1, 0);
        case ListKey::Down:
            return index_ < 0 ? 0 : std::min(index_ + 1, last);
        case ListKey::PageUp:
            return std::max(from - page, 0);
        case ListKey::PageDown:
            return std::min(from + page, last);
        case ListKey::Home:
            return 0;
        case ListKey::End:
            return last;
    }
    return -1;
}

namespace {

char16_t folded(char16_t c) {
    if (c >= u'A' && c <= u'Z') return char16_t(c - u'A' + u'a');
    if (c >= u'Ａ' && c <= u'Ｚ') return char16_t(c - u'Ａ' + u'ａ');
    return c;
}

}  // namespace

int ListBox::rowForLetter(char16_t letter) const {
    const int rows = count();
    const char16_t wanted = folded(letter);
    for (int step = 1; step <= rows; ++step) {
        const int row = (std::max(index_, -1) + step) % rows;
        // The first character is in the title's first two bytes at most.
        const std::u16string first = codec_.decode(rowBytes(row).substr(0, 2));
        if (!first.empty() && folded(first[0]) == wanted) return row;
    }
    return -1;
}

void ListBox::replaceRow(int i, std::string_view bytes) {
    if (!seenWhole_) seenRows_.try_emplace(i, rowBytes(i));
    const auto begin = starts_[std::size_t(i)];
    const auto end = starts_[std::size_t(i) + 1];
    const auto delta = std::int64_t(bytes.size() + 2) - std::int64_t(end - begin);
    bytes_.replace(begin, end - begin - 2, bytes);
    if (delta != 0) {
        for (std::size_t r = std::size_t(i) + 1; r < starts_.size(); ++r)
            starts_[r] = std::uint32_t(std::int64_t(starts_[r]) + delta);
    }
    ++version_;
}

void ListBox::setTitle(int i, std::u16string_view text) {
    // A row that already reads as this title keeps its bytes, as the file has them.
    if (title(i) == text) return;
    std::string bytes;
    codec_.encodeAppend(text, bytes);
    replaceRow(i, bytes);
    notify(&Observer::changed, i);
}

void ListBox::addItem(std::u16string_view text) {
    keepSeenWhole();
    const int row = count();
    notify(&Observer::aboutToInsert, row);
    codec_.encodeAppend(text, bytes_);
    bytes_ += "\r\n";
    starts_.push_back(std::uint32_t(bytes_.size()));
    ++version_;
    notify(&Observer::inserted, row);
}

void ListBox::removeItem(int i) {
    if (i < 0 || i >= count()) throw std::out_of_range("ListBox::removeItem");
    keepSeenWhole();
    notify(&Observer::aboutToRemove, i);
    const auto begin = starts_[std::size_t(i)];
    const auto length = starts_[std::size_t(i) + 1] - begin;
    bytes_.erase(begin, length);
    starts_.erase(starts_.begin() + i + 1);
    for (std::size_t r = std::size_t(i) + 1; r < starts_.size(); ++r)
        starts_[r] -= length;
    ++version_;
    const int selected = index_;
    if (index_ == i) {
        index_ = -1;
    } else if (index_ > i) {
        --index_;
    }
    notify(&Observer::removed, i);
    if (index_ != selected && observer_) observer_->selectionChanged();
}

void ListBox::clear() {
    load({});
}

void ListBox::exchange(int a, int b) {
    if (a == b) return;
    const std::string rowA(rowBytes(a));
    const std::string rowB(rowBytes(b));
    replaceRow(a, rowB);
    replaceRow(b, rowA);
    notify(&Observer::changed, a);
    notify(&Observer::changed, b);
}

std::string ListBox::seen() const {
    if (seenWhole_) return *seenWhole_;
    std::string bytes;
    bytes.reserve(bytes_.size());
    std::size_t at = 0;
    for (const auto& [row, was] : seenRows_) {
        bytes.append(bytes_, at, starts_[std::size_t(row)] - at);
        bytes += was;
        at = starts_[std::size_t(row) + 1] - 2;
    }
    bytes.append(bytes_, at);
    return bytes;
}

void ListBox::markSeen() {
    seenWhole_.reset();
    seenRows_.clear();
}

void ListBox::markSeen(std::string fileBytes) {
    markSeen();
    if (fileBytes != bytes_) seenWhole_ = std::move(fileBytes);
}

void ListBox::keepSeenWhole() {
    if (seenWhole_) return;
    seenWhole_ = seen();
    seenRows_.clear();
}

IndexLines ListBox::load(std::string indexFile) {
    IndexLines lines = splitIndex(indexFile);
    index_ = -1;
    markSeen();
    if (lines.canonical && indexFile == bytes_) {
        // Read back as written: every item stays as it is.
        if (observer_) observer_->selectionChanged();
        return lines;
    }
    if (observer_) observer_->aboutToReset();
    if (lines.canonical || indexFile.empty()) {
        bytes_ = std::move(indexFile);
        starts_.resize(lines.lines.size() + 1);
        starts_[0] = 0;
        for (std::size_t i = 0; i < lines.lines.size(); ++i)
            starts_[i + 1] = std::uint32_t(lines.lines[i].second + 2);
    } else {
        bytes_.clear();
        bytes_.reserve(indexFile.size() + 2 * lines.lines.size());
        starts_.assign(1, 0);
        for (const auto& [begin, end] : lines.lines) {
            bytes_.append(std::string_view(indexFile).substr(begin, end - begin));
            bytes_ += "\r\n";
            starts_.push_back(std::uint32_t(bytes_.size()));
        }
        seenWhole_ = std::move(indexFile);
    }
    ++version_;
    if (observer_) observer_->reset();
    return lines;
}

void ListBox::clearSelection() {
    index_ = -1;
    if (observer_) observer_->selectionChanged();
}

void ListBox::setSelected(int i) {
    if (i < 0 || i >= count()) throw std::out_of_range("ListBox::setSelected");
    index_ = i;
    if (observer_) observer_->selectionChanged();
    raise(onClick);
}

void ListBox::userSelect(int i) {
    // A click below the last row picks nothing.
    if (i >= 0 && i < count()) setSelected(i);
}

void TextBox::setText(std::u16string text) {
    // The box shows the assigned text now, whatever was being composed.
    composing_ = false;
    held_.reset();
    if (text == text_) return;
    text_ = std::move(text);
    unsaved_.reset();
    whole_ = true;
    if (observer_) observer_->textAssigned();
    raise(onChange);
}

void TextBox::reload(std::u16string text) {
    composing_ = false;
    held_.reset();
    unsaved_.reset();
    whole_ = false;
    if (text == text_) return;
    text_ = std::move(text);
    if (observer_) observer_->textReloaded();
}

void TextBox::userEdit(const FittedEdit& edit) {
    text_.replace(edit.applied.at, edit.applied.removed, edit.applied.inserted);
    if (!whole_ && !unsaved_) {
        unsaved_ = edit.splice;
    } else {
        unsaved_.reset();
        whole_ = true;
    }
    if (edit.refitted && observer_) observer_->editRefitted(edit.refit);
    raise(onChange);
}

void TextBox::openComposition() {
    composing_ = true;
}

void TextBox::holdEdit(const TextEdit& edit) {
    const TextEdit held = held_.value_or(TextEdit{std::min(edit.at, text_.size()), 0, {}});
    // The text as the box shows it, unit by unit: text_ with the held edit in it.
    const std::size_t shownSize = text_.size() - held.removed + held.inserted.size();
    const auto shown = [&](std::size_t p) {
        if (p < held.at) return text_[p];
        if (p < held.at + held.inserted.size()) return held.inserted[p - held.at];
        return text_[p - held.inserted.size() + held.removed];
    };
    const std::size_t at = std::min(edit.at, shownSize);
    const std::size_t end = std::min(at + edit.removed, shownSize);
    // One span of the shown text covers both edits; it stands for one span of text_.
    const std::size_t from = std::min(held.at, at);
    const std::size_t to = std::max(held.at + held.inserted.size(), end);
    std::u16string span;
    for (std::size_t p = from; p < to; ++p)
        span += shown(p);
    span.replace(at - from, end - at, edit.inserted);
    held_ = TextEdit{from, to - held.inserted.size() + held.removed - from, std::move(span)};
}

std::optional<TextEdit> TextBox::closeComposition() {
    composing_ = false;
    std::optional<TextEdit> change = std::exchange(held_, std::nullopt);
    if (!change) return change;
    const std::u16string_view was = std::u16string_view(text_).substr(change->at, change->removed);
    const std::u16string_view now = change->inserted;
    std::size_t head = 0;
    while (head < was.size() && head < now.size() && was[head] == now[head])
        ++head;
    std::size_t tail = 0;
    while (tail < was.size() - head && tail < now.size() - head &&
           was[was.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    if (head == was.size() && head == now.size()) return std::nullopt;
    // Never between the halves of a pair or of a line break: widened to take both.
    const auto first = [](char16_t c) { return c == u'\r' || (c >= 0xD800 && c <= 0xDBFF); };
    const auto second = [](char16_t c) { return c == u'\n' || (c >= 0xDC00 && c <= 0xDFFF); };
    if (head > 0 && first(was[head - 1])) --head;
    if (tail > 0 && second(was[was.size() - tail])) --tail;
    return TextEdit{change->at + head, was.size() - head - tail,
                    std::u16string(now.substr(head, now.size() - head - tail))};
}

void TextBox::putBack(const TextEdit& change) {
    if (observer_)
        observer_->editRefitted(
            {change.at, change.inserted.size(), text_.substr(change.at, change.removed)});
}

void TextBox::markSaved() {
    unsaved_.reset();
    whole_ = false;
}

void CheckBox::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    if (observer_) observer_->valueChanged();
    raise(onClick);
}

void CheckBox::userClick() {
    value_ = value_ == 0 ? 1 : 0;
    if (observer_) observer_->valueChanged();
    raise(onClick);
}

void MenuItem::setChecked(bool checked) {
    checked_ = checked;
    if (observer_) observer_->checkedChanged();
}

}  // namespace tetomu
