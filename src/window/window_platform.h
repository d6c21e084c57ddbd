#pragma once
// What the window needs from the platform it runs on. Each front end fills this in; the tests
// use a fake that records what was asked.
#include <functional>
#include <string>
#include <utility>

#include "store/program_folder.h"

namespace tetomu {

class WindowPlatform {
  public:
    virtual ~WindowPlatform() = default;

    // True when the platform knows of another copy of the program that must keep running alone
    // (on Windows, a copy in this session). The memo folder's own lock is the store's.
    virtual bool anotherCopyRunning() = 0;
    // The folder that holds the program file, as the system reports it.
    virtual NativeString programDirectory() = 0;
    // A modal box with this text, the title "テトム", an OK button alone and no icon. Returns
    // when the person has closed it.
    virtual void showMessage(const std::u16string& text) = 0;
    // A word to the person that takes no keys: shown beside the caret of the text box without
    // taking the focus, and gone by itself. For what they are typing, so that the keys typed
    // meanwhile still go into the box.
    virtual void showNotice(const std::u16string& text) = 0;
    // Shows the window (when it is not shown yet) and keeps it above all others, or releases it,
    // keeping its size and place.
    virtual void keepInFront(bool inFront) = 0;
    // Runs the task once the window is on screen, after the events already waiting.
    virtual void afterShown(std::function<void()> task) = 0;
    // Runs the task once the event being handled has returned, after the events already
    // waiting. Once the window is shown that is what afterShown() does too.
    virtual void afterEvent(std::function<void()> task) { afterShown(std::move(task)); }
    // Runs the task once, this long from now, on the window's thread, as an event of its own.
    virtual void runAfter(int milliseconds, std::function<void()> task) = 0;
    // Watches the memo folder for other programs' changes: a file in it written, made, renamed
    // or removed. A burst of changes (an editor's save, a sync) is told once, on the window's
    // thread, as an event of its own, a few hundred milliseconds after the last of them. This
    // program's own writes are told too; the core knows them from what it last wrote. Where
    // nothing can be watched, nothing is told, and the look before each write still holds.
    virtual void watchFolder(const NativeString& folder, std::function<void()> changed) {
        static_cast<void>(folder);
        static_cast<void>(changed);
    }
    // How long after the last change of a burst it is told.
    static constexpr int kWatchSettleMs = 300;
    // Shows the run-time error box. The program ends after it: the window takes no further
    // events, and the front end exits with a failure status.
    virtual void showRuntimeError(const std::u16string& text) = 0;
};

}  // namespace tetomu
