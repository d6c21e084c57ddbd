#include "qt/main_menu.h"

#include <QAction>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "qt/text_conversion.h"
#include "window/memo_window.h"

namespace tetomu {

MainMenu::MainMenu(MemoWindow& core, QMainWindow& window) : core_(core) {
    QMenuBar* bar = window.menuBar();
    // The menu bar belongs to the window, so the client area starts right below it.
    bar->setNativeMenuBar(false);
    // Where the program runs as a Wayland client, the window cannot stay above others: the
    // drop-down's items say so by being disabled.
    const bool canStayInFront = !QGuiApplication::platformName().startsWith(u"wayland");
    QMenu* dropDown = nullptr;
    for (const MenuRow& row : kMenu) {
        if (!row.command) {
            dropDown = bar->addMenu(toQString(row.caption));
            continue;
        }
        const Command c = *row.command;
        QAction* item = row.place == MenuPlace::DropDown
                            ? dropDown->addAction(toQString(row.caption))
                            : bar->addAction(toQString(row.caption));
        actions_[int(c)] = item;
        QObject::connect(item, &QAction::triggered, item, [this, c] {
            core_.choose(c);
            // A checkable item toggles its own mark when triggered; the core's marks are put back.
            checkedChanged();
        });
        if (row.functionKey != 0) {
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_F1 + row.functionKey - 1)));
            item->setShortcutContext(Qt::WindowShortcut);
            // Keep the shortcut when the window holds it while the drop-down is closed.
            window.addAction(item);
        }
        if (row.place == MenuPlace::DropDown) {
            item->setEnabled(canStayInFront);
            item->setCheckable(true);
        }
    }
    core_.observeMenu(this);
    checkedChanged();
}

MainMenu::~MainMenu() {
    core_.observeMenu(nullptr);
}

void MainMenu::checkedChanged() {
    action(Command::KeepInFront)->setChecked(core_.inFrontItem(0).checked());
    action(Command::Release)->setChecked(core_.inFrontItem(1).checked());
}

}  // namespace tetomu
