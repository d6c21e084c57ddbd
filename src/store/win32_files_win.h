#pragma once
// What the rooms of the Windows file layer share: a handle that closes itself, the system's
// refusal as a StoreError, and what is at a name without following it. Each room
// (file_system_win.cpp, reading_win.cpp, replace_win.cpp, folder_lock_win.cpp) keeps its own
// calls; how long a call waits is patience_win.h's.
#include <windows.h>

#include <filesystem>
#include <string>
#include <utility>

#include "store/file_system.h"

namespace tetomu {

class Handle {
  public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    void reset(HANDLE h) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }
    bool close() { return CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)) != 0; }
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

  private:
    HANDLE h_;
};

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

StoreFault faultOf(DWORD code);
StoreError errorOf(DWORD code, const std::filesystem::path& path);
[[noreturn]] void fail(DWORD code, const std::filesystem::path& path);

// What is at a name, without following it: attributes, and the reparse tag when there is one.
struct Entry {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    DWORD tag = 0;
    DWORD error = 0;  // why there is none
    bool exists() const { return attributes != INVALID_FILE_ATTRIBUTES; }
    EntryKind kind() const;
};

Entry entryAt(const std::wstring& path);

}  // namespace tetomu
