#include "window/memo_window.h"

#include "store/folder_repair.h"
#include "store/store_error.h"
#include "window/handler_entry.h"
#include "window/texts.h"
#include "window/window_platform.h"

namespace tetomu {

MemoWindow::MemoWindow(FileSystem& files, const TextCodec& codec, WindowPlatform& platform)
    : files_(files), codec_(codec), platform_(platform) {
    List1.onClick = [this] { List1_Click(); };
    txtmemo.onChange = [this] { txtmemo_Change(); };
    Check1.onClick = [this] { Check1_Click(); };
}

template <class Action>
void MemoWindow::guarded(Action&& action) {
    if (ended_) return;
    try {
        action();
    } catch (const StoreError& error) {
        // Nothing is rolled back here: every file that was written is whole, and the program
        // ends as it always has on a refused file call.
        ended_ = true;
        if (trace) trace->note("runtime error");
        platform_.runtimeError(error.boxText());
    }
}

StartResult MemoWindow::start() {
    StartResult result = StartResult::Failed;
    guarded([&] { result = Form_Load(); });
    return result;
}

void MemoWindow::userSelect(int index) {
    guarded([&] { List1.userSelect(index); });
}

void MemoWindow::userEdit(std::u16string text) {
    guarded([&] { txtmemo.userEdit(std::move(text)); });
}

void MemoWindow::userClickCheck() {
    guarded([&] { Check1.userClick(); });
}

void MemoWindow::choose(Command command) {
    guarded([&] {
        switch (command) {
            case Command::New:
                return tu1_Click();
            case Command::Delete:
                return sa1_Click();
            case Command::KeepInFront:
                return t11_Click(0);
            case Command::Release:
                return t11_Click(1);
            case Command::Version:
                return v1_Click();
        }
    });
}

void MemoWindow::msgBox(std::u16string_view prompt) {
    if (trace) {
        trace->note("MsgBox");
    }
    platform_.MsgBox(std::u16string(prompt));
}

StartResult MemoWindow::Form_Load() {
    Entered entered(*this, "Form_Load");
    if (platform_.anotherCopyRunning()) return StartResult::AnotherCopyRunning;
    basePath = basePathFrom(platform_.programDirectory());
    store_.emplace(files_, codec_, basePath);
    // The list is still empty, so this is the plain read of the index; a save that was cut short
    // last time (a kill, a power cut, a refused call) is finished or undone on the way.
    List1.Reload(repairInterruptedSteps(store()).titles);
    t11[0].setChecked(true);
    busy = false;
    platform_.SetWindowPos(InsertAfter::Topmost, kPlacementFlags);
    return StartResult::Shown;
}

void MemoWindow::t11_Click(int index) {
    Entered entered(*this, "t11_Click");
    for (auto& item : t11)
        item.setChecked(false);
    t11.at(std::size_t(index)).setChecked(true);
    platform_.SetWindowPos(index == 0 ? InsertAfter::Topmost : InsertAfter::NoTopmost,
                           kPlacementFlags);
}

void MemoWindow::v1_Click() {
    Entered entered(*this, "v1_Click");
    msgBox(texts::kVersion);
}

void MemoWindow::ReloadList() {
    List1.Reload(store().readIndex());
}

void MemoWindow::WriteIndex() {
    store().writeIndex(List1.items());
}

void MemoWindow::WriteIndexAndReloadList() {
    IndexReadBack back = store().writeIndexReadBack(List1.items());
    // Usually no row changes, and the rows the list holds stay where they are.
    if (back.allRows)
        List1.Reload(std::move(*back.allRows));
    else
        List1.ReloadChanged(std::move(back.changedRows));
}

void MemoWindow::WriteIndexAndReloadList(std::vector<std::u16string> titles) {
    IndexReadBack back = store().writeIndexReadBack(titles);
    if (back.allRows) return List1.Reload(std::move(*back.allRows));
    for (auto& [row, text] : back.changedRows)
        titles[std::size_t(row)] = std::move(text);
    List1.Reload(std::move(titles));
}

}  // namespace tetomu
