// The rules by which assignments raise handlers, and what a front end hears about.
#include <gtest/gtest.h>

#include "window/controls.h"
#include "window/display_text.h"

namespace tetomu {
namespace {

struct Heard : ListBox::Observer, TextBox::Observer, CheckBox::Observer {
    std::vector<std::string> events;
    void itemsReset() override { events.push_back("reset"); }
    void itemAdded(int i) override { events.push_back("added " + std::to_string(i)); }
    void itemRemoved(int i) override { events.push_back("removed " + std::to_string(i)); }
    void itemChanged(int i) override { events.push_back("changed " + std::to_string(i)); }
    void itemSelected(int i) override { events.push_back("selected " + std::to_string(i)); }
    void textAssigned() override { events.push_back("text"); }
    void valueChanged() override { events.push_back("value"); }
};

TEST(Controls, TextBoxRaisesOnlyOnARealChange) {
    TextBox box;
    Heard heard;
    box.setObserver(&heard);
    int changes = 0;
    box.onChange = [&] { ++changes; };
    box.setText(u"");
    EXPECT_EQ(changes, 0);
    box.setText(u"a\rb");
    EXPECT_EQ(box.Text(), u"a\rb");  // held exactly as assigned
    box.setText(u"a\rb");
    EXPECT_EQ(changes, 1);
    box.userEdit(u"typed");
    box.userEdit(u"typed");
    EXPECT_EQ(changes, 2);
    // A person's edit is already on screen: the front end hears only about assignments.
    EXPECT_EQ(heard.events, std::vector<std::string>{"text"});
}

TEST(Controls, ListBoxSelectionRules) {
    ListBox list;
    Heard heard;
    list.setObserver(&heard);
    std::vector<int> clicks;
    list.onClick = [&] { clicks.push_back(list.ListIndex()); };
    list.Reload({u"a", u"", u"c"});
    list.AddItem(u"d");
    list.setList(0, u"A");
    EXPECT_TRUE(clicks.empty());

    list.setSelected(2);
    list.setSelected(2);  // selecting the selected item raises again
    list.userSelect(2);   // and so does a person's click on it
    EXPECT_EQ(clicks, (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(list.Text(), u"c");

    list.userSelect(1);
    EXPECT_EQ(list.Text(), u"");  // an empty title reads as no selection
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), 0);  // the selection moves with its item
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), -1);
    list.setSelected(0);
    list.Clear();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(clicks.size(), 5u);  // neither removal nor Clear raised a click
    list.userSelect(0);            // a click where there is no item does nothing
    EXPECT_EQ(clicks.size(), 5u);
    EXPECT_EQ(heard.events,
              (std::vector<std::string>{"reset", "added 3", "changed 0", "selected 2", "selected 2",
                                        "removed 0", "removed 0", "selected 0", "reset"}));
}

TEST(Controls, CheckBoxRaisesOnAChangeOfValue) {
    CheckBox box;
    Heard heard;
    box.setObserver(&heard);
    std::vector<int> seen;
    box.onClick = [&] { seen.push_back(box.Value()); };
    box.setValue(0);
    box.userClick();
    box.setValue(1);
    box.setValue(0);
    box.userClick();
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(heard.events, std::vector<std::string>{"value"});
}

TEST(Controls, ANulIsShownAsASymbolAndComesBack) {
    const std::u16string text(u"a\0b\0", 4);
    EXPECT_EQ(textForDisplay(text), u"a\u2400b\u2400");
    EXPECT_EQ(textFromDisplay(textForDisplay(text)), text);
}

}  // namespace
}  // namespace tetomu
