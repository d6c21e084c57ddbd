#pragma once
// How a Windows file call waits on someone else's open handle or a network share gone for a
// moment: tried again, with short pauses that grow, until it succeeds, fails for a lasting
// reason or runs out of patience. Between the tries the file system's whileWaiting hook runs,
// so that the window repaints.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <thread>

#include "store/file_system_win.h"

namespace tetomu {

// Runs the call until it succeeds, fails for a lasting reason or runs out of patience. Returns 0
// on success, otherwise the last error. `names` are the names the call is about: what the
// system reports of them tells a refusal that passes from one that lasts. The first pauses are
// short: a scanner is quick.
template <class Call>
unsigned long Win32FileSystem::withPatience(Call&& call,
                                            std::initializer_list<const wchar_t*> names) const {
    const auto giveUpAt = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (call()) return 0;
        const DWORD code = GetLastError();
        if (!passes(code, names) || std::chrono::steady_clock::now() >= giveUpAt) return code;
        if (whileWaiting) whileWaiting();
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

}  // namespace tetomu
