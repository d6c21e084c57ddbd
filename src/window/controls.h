#pragma once
// The window's controls as plain state. Their setters follow the window's rules of raising: an
// assignment that raises a handler calls it at once, nested, before it returns; one that does
// not, doesn't. A person's action comes in through a separate user*() entry. A front end
// mirrors each control through its Observer, which hears about changes made from code only.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tetomu {

// List1: single selection, items in insertion order, duplicates allowed.
class ListBox {
  public:
    class Observer {
      public:
        // All items were replaced (a reload): one notification, however many items.
        virtual void itemsReset() = 0;
        // A reload that gave every row back as it was except these, in ascending order; nothing
        // is selected. An observer that does not look at the rows can take it as itemsReset.
        virtual void itemsReloaded(const std::vector<int>& changedRows) {
            static_cast<void>(changedRows);
            itemsReset();
        }
        virtual void itemAdded(int index) = 0;
        virtual void itemRemoved(int index) = 0;
        virtual void itemChanged(int index) = 0;
        virtual void itemSelected(int index) = 0;
        virtual ~Observer() = default;
    };

    std::function<void()> onClick;
    void setObserver(Observer* observer) { observer_ = observer; }

    int ListCount() const { return int(items_.size()); }
    int ListIndex() const { return index_; }
    const std::u16string& List(int i) const { return items_.at(std::size_t(i)); }
    // The selected item's text; "" when nothing is selected.
    std::u16string Text() const;
    const std::vector<std::u16string>& items() const { return items_; }

    // None of these raises a handler.
    void setList(int i, std::u16string text);
    void AddItem(std::u16string text);
    void RemoveItem(int i);
    void Clear();
    // Clear and AddItem for each title, as one change.
    void Reload(std::vector<std::u16string> items);
    // The same reload, when the titles are the current items but for these rows (ascending):
    // only they are replaced.
    void ReloadChanged(std::vector<std::pair<int, std::u16string>> changedRows);

    // Selected(i) = True: selects item i and raises the click, even when it was selected.
    void setSelected(int i);
    // A person's click on item i, or the keyboard moving the selection to it.
    void userSelect(int i);

  private:
    std::vector<std::u16string> items_;
    int index_ = -1;
    Observer* observer_ = nullptr;
};

// txtmemo: multi-line text with CR LF line breaks, held exactly as assigned.
class TextBox {
  public:
    class Observer {
      public:
        virtual void textAssigned() = 0;
        virtual ~Observer() = default;
    };

    std::function<void()> onChange;
    void setObserver(Observer* observer) { observer_ = observer; }

    const std::u16string& Text() const { return text_; }
    // Raises the change only when the text differs from what the box holds.
    void setText(std::u16string text);
    // A person's edit left this text in the box (line breaks already CR LF).
    void userEdit(std::u16string text);

  private:
    std::u16string text_;
    Observer* observer_ = nullptr;
};

// Check1: 0 unticked, 1 ticked.
class CheckBox {
  public:
    class Observer {
      public:
        virtual void valueChanged() = 0;
        virtual ~Observer() = default;
    };

    std::function<void()> onClick;
    void setObserver(Observer* observer) { observer_ = observer; }

    int Value() const { return value_; }
    // Raises the click only when the value changes.
    void setValue(int value);
    // A person's click or space bar: toggles, then raises the click.
    void userClick();

  private:
    int value_ = 0;
    Observer* observer_ = nullptr;
};

// Label3: a caption and nothing else; it takes no focus and raises nothing.
struct Label {
    std::u16string_view Caption;
};

// A menu item's check mark; setting it raises nothing.
class MenuItem {
  public:
    class Observer {
      public:
        virtual void checkedChanged() = 0;
        virtual ~Observer() = default;
    };

    void setObserver(Observer* observer) { observer_ = observer; }
    bool Checked() const { return checked_; }
    void setChecked(bool checked);

  private:
    bool checked_ = false;
    Observer* observer_ = nullptr;
};

}  // namespace tetomu
