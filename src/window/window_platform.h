#pragma once
// What the window needs from the platform it runs on. Each front end fills this in; the tests
// use a fake that records what was asked.
#include <string>

#include "store/base_path.h"

namespace tetomu {

// SetWindowPos's insert-after values for keeping the window in front and releasing it.
enum class InsertAfter : int { Topmost = -1, NoTopmost = -2 };
inline constexpr unsigned kSwpNoSize = 0x1;
inline constexpr unsigned kSwpNoMove = 0x2;
inline constexpr unsigned kSwpShowWindow = 0x40;
inline constexpr unsigned kPlacementFlags = kSwpNoSize | kSwpNoMove | kSwpShowWindow;

class WindowPlatform {
  public:
    virtual ~WindowPlatform() = default;

    // True when a copy of the program already runs; this start must then end at once.
    virtual bool anotherCopyRunning() = 0;
    // The folder that holds the program file, as the system reports it.
    virtual NativeString programDirectory() = 0;
    // A modal box with this prompt, the title "テトム", an OK button alone and no icon. Returns
    // when the person has closed it.
    virtual void MsgBox(const std::u16string& prompt) = 0;
    // Keeps the window above all others, or releases it; the result is not used.
    virtual void SetWindowPos(InsertAfter insertAfter, unsigned flags) = 0;
    // Shows the run-time error box. The program ends after it: the window takes no further
    // events, and the front end exits with a failure status.
    virtual void runtimeError(const std::u16string& text) = 0;
};

}  // namespace tetomu
