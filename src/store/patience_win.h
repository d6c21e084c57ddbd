#pragma once
// How a Windows file call waits on someone else's open handle: tried again, with short pauses
// that grow, until it succeeds, fails for a lasting reason or runs out of patience.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "store/file_system_win.h"

namespace tetomu {

// The refusals that another program's open handle gives, which pass when it closes: a scanner
// opening a fresh file without sharing (sharing and lock violations), a file deleted while open
// elsewhere, whose name stays taken until then (access denied), and ReplaceFile's own word for
// a replaced file it could not move aside yet, which leaves both names as they were.
inline bool isPassing(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
           code == ERROR_ACCESS_DENIED || code == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Runs the call until it succeeds, fails for a lasting reason or runs out of patience. Returns 0
// on success, otherwise the last error. The first pauses are short: a scanner is quick.
template <class Call>
unsigned long Win32FileSystem::withPatience(Call&& call) const {
    const auto giveUpAt = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (call()) return 0;
        const DWORD code = GetLastError();
        if (!isPassing(code) || std::chrono::steady_clock::now() >= giveUpAt) return code;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

}  // namespace tetomu
