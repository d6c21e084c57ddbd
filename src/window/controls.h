#pragma once
// The window's controls as plain state. Their setters follow the window's rules of raising: an
// assignment that raises a handler calls it at once, nested, before it returns; one that does
// not, doesn't. A person's action comes in through a separate user*() entry. A front end draws
// each control from its read-only face and hears of every change through its Observer.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/index_file.h"
#include "store/text_fit.h"

namespace tetomu {

class TextCodec;

// Positions are 16-bit in the store's numbering; the list holds at most this many memos.
inline constexpr int kMaxMemos = 32767;

// The keys that move the selection of a list.
enum class ListKey { Up, Down, PageUp, PageDown, Home, End };

// memoList_: single selection, items in insertion order, duplicates allowed.
//
// The items are held as the index file holds them: encoded, one after another, each followed by
// CR LF. A list of 32767 titles takes no more memory than its file, a title is decoded only when
// something asks for it, and every item is exactly what reading the index back gives.
class ListBox {
  public:
    // Notices in pairs, as item models want them: the "about to" one before the items change,
    // the other after.
    class Observer {
      public:
        virtual ~Observer() = default;
        virtual void aboutToReset() {}
        virtual void reset() {}
        virtual void aboutToInsert(int) {}
        virtual void inserted(int) {}
        virtual void aboutToRemove(int) {}
        virtual void removed(int) {}
        virtual void changed(int) {}
        virtual void selectionChanged() {}
    };

    explicit ListBox(const TextCodec& codec) : codec_(codec) {}

    std::function<void()> onClick;
    void setObserver(Observer* observer) { observer_ = observer; }

    int count() const { return int(starts_.size()) - 1; }
    int selectedRow() const { return index_; }
    std::u16string title(int i) const;
    // The selected item's text; "" when nothing is selected.
    std::u16string selectedTitle() const;
    // The row a key moves the selection to, or -1; rowsPerPage and topRow as the list shows.
    int rowForKey(ListKey key, int rowsPerPage, int topRow) const;
    // The next row after the selected one, round to the top, whose title starts with this
    // letter (A and a alike, as a list box takes them), or -1.
    int rowForLetter(char16_t letter) const;

    // The index file's bytes for these items, and a number that changes whenever they do.
    std::string_view indexBytes() const { return bytes_; }
    std::string_view rowBytes(int i) const;
    std::uint64_t version() const { return version_; }

    // None of these raises a handler.
    void setTitle(int i, std::u16string_view text);
    void addItem(std::u16string_view text);
    void removeItem(int i);
    void clear();
    // Rows a and b change places (a swap's new order, before the list is read again).
    void exchange(int a, int b);
    // The items that these index bytes read back as; nothing is selected afterwards. Bytes that
    // give the items already held change no item. The bytes are taken as the file's (seen()).
    IndexLines load(std::string indexFile);

    // The index file's bytes as last read or written: the items' own, unless rows changed since.
    // Only what differs is kept: the old bytes of each row changed, or the whole once rows were
    // added or removed (rare steps that write the whole index anyway), or when the file's bytes
    // are not the items' (other line ends).
    std::string seen() const;
    // The file now holds the items' bytes (just written), or these bytes.
    void markSeen();
    void markSeen(std::string fileBytes);
    void clearSelection();
    // The front end shows the selection again as the list holds it: a person's pick was refused.
    void showSelectionAgain() {
        if (observer_) observer_->selectionChanged();
    }

    // Selected(i) = True: selects item i and raises the click, even when it was selected.
    void setSelected(int i);
    // A person's click on item i, or a key moving the selection to it.
    void userSelect(int i);

  private:
    void replaceRow(int i, std::string_view bytes);
    // Rows are about to be added or removed: what was seen is kept whole.
    void keepSeenWhole();
    void notify(void (Observer::*notice)(int), int row) {
        if (observer_) (observer_->*notice)(row);
    }

    const TextCodec& codec_;
    std::string bytes_;
    std::vector<std::uint32_t> starts_{0};  // where each row begins; the last entry is the end
    std::optional<std::string> seenWhole_;
    std::map<int, std::string> seenRows_;  // each row changed since it was seen, as it was
    int index_ = -1;
    std::uint64_t version_ = 0;
    Observer* observer_ = nullptr;
};

// memoText_: multi-line text with CR LF line breaks, held exactly as assigned.
//
// An input method's composition is one change: from its first event to its commit or cancel
// the box's edits (the selection its first preedit took away, the preedit where a box shows it
// in the text, notices that change nothing) are only held, said of the text as it was. Closing
// it gives what it changed in all, with the parts at either end that stayed left out.
class TextBox {
  public:
    class Observer {
      public:
        virtual ~Observer() = default;
        // The whole text was assigned from code.
        virtual void textAssigned() = 0;
        // The person's edit was taken otherwise than typed (see store/text_fit.h): said of the
        // text with the edit applied as typed.
        // Also said of a cancelled composition: the text it took away comes back.
        virtual void editRefitted(const TextEdit& refit) = 0;
        // The text was read again after another program changed it: the caret stays where it
        // can.
        virtual void textReloaded() { textAssigned(); }
        // An action elsewhere closes the composition still open: the input method commits what
        // it shows into the box now, as it does when the focus leaves, and forgets it.
        virtual void compositionClosing() {}
        // The person types into the box next: it takes the keyboard focus.
        virtual void focusWanted() {}
    };

    std::function<void()> onChange;
    void setObserver(Observer* observer) { observer_ = observer; }

    const std::u16string& text() const { return text_; }
    // Raises the change only when the text differs from what the box holds.
    void setText(std::u16string text);
    // The memo's text as its file holds it now, read again after another program changed it: it
    // is the saved text, and assigning it raises nothing.
    void reload(std::u16string text);
    // A person's edit, fitted: applies it and raises the change, even when the text comes out
    // as it was (typing "A" over a selected "A" is an edit).
    void userEdit(const FittedEdit& edit);

    // A composition opens; one already open goes on. An assigned text ends it.
    void openComposition();
    bool composing() const { return composing_; }
    void holdEdit(const TextEdit& edit);
    // Closes the composition: what it changed, if anything.
    std::optional<TextEdit> closeComposition();
    // Has the input method commit what it shows of the composition still open.
    void askToCommit() {
        if (composing_ && observer_) observer_->compositionClosing();
    }
    void wantFocus() {
        if (observer_) observer_->focusWanted();
    }
    // A cancelled composition's change is put back on screen; the text never had it.
    void putBack(const TextEdit& change);
    // The front end shows the text again as the box holds it: a person's edit was refused.
    void showAgain() {
        if (observer_) observer_->textAssigned();
    }

    // The one edit since the text was last saved, when that is all that changed.
    const std::optional<TextSplice>& unsavedEdit() const { return unsaved_; }
    void markSaved();

  private:
    std::u16string text_;
    std::optional<TextSplice> unsaved_;
    bool whole_ = true;  // changed in some other way since the last save
    bool composing_ = false;
    std::optional<TextEdit> held_;  // the composition's edits, said of text_
    Observer* observer_ = nullptr;
};

// arrangeCheck_: 0 unticked, 1 ticked.
class CheckBox {
  public:
    class Observer {
      public:
        virtual ~Observer() = default;
        virtual void valueChanged() = 0;
    };

    std::function<void()> onClick;
    void setObserver(Observer* observer) { observer_ = observer; }

    int value() const { return value_; }
    // Raises the click only when the value changes.
    void setValue(int value);
    // A person's click or space bar: toggles, then raises the click.
    void userClick();

  private:
    int value_ = 0;
    Observer* observer_ = nullptr;
};

// A menu item's check mark; setting it raises nothing.
class MenuItem {
  public:
    class Observer {
      public:
        virtual ~Observer() = default;
        virtual void checkedChanged() = 0;
    };

    void setObserver(Observer* observer) { observer_ = observer; }
    bool checked() const { return checked_; }
    void setChecked(bool checked);

  private:
    bool checked_ = false;
    Observer* observer_ = nullptr;
};

}  // namespace tetomu
