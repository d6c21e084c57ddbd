#pragma once
// The Windows file calls as Microsoft documents them where Wine does less, for every Windows test
// of the store and the window:
// - Before a rename or a replace, Windows opens the target's folder for adding a file
//   (FILE_ADD_FILE | SYNCHRONIZE, sharing reading, writing and deleting) and fails with a sharing
//   violation when a handle on the folder does not share writing. Wine renames without that open
//   but does check the sharing between two handles, so the open is made here, through its checks.
// - A virus scanner, the indexer or a sync client opens fresh files without sharing for a moment:
//   every other call is refused once with a sharing violation, as such a program would make it.
// The tests of the file layer replace single calls further: a file whose content is not on the
// disk, a share held past a second, a folder that cannot be opened, a file system without lasting
// IDs, a mutex made in another session (file_system_win_test.cpp).
#include <windows.h>

#include <string>

#include "store/win32_calls_win.h"

namespace tetomu::test {

inline BOOL openTargetFolderAsRenameDoes(LPCWSTR target) {
    const std::wstring path(target);
    HANDLE folder =
        CreateFileW(path.substr(0, path.find_last_of(L'\\')).c_str(), FILE_ADD_FILE | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return folder != INVALID_HANDLE_VALUE && CloseHandle(folder);
}

inline bool scannerHolds() {
    static int calls = 0;
    if (++calls % 2 == 0) return false;
    SetLastError(ERROR_SHARING_VIOLATION);
    return true;
}

inline HANDLE WINAPI documentedCreate(LPCWSTR name, DWORD access, DWORD share,
                                      LPSECURITY_ATTRIBUTES sa, DWORD disposition, DWORD flags,
                                      HANDLE model) {
    if (scannerHolds()) return INVALID_HANDLE_VALUE;
    return CreateFileW(name, access, share, sa, disposition, flags, model);
}

inline BOOL WINAPI documentedMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return !scannerHolds() && openTargetFolderAsRenameDoes(to) && MoveFileExW(from, to, flags);
}

inline BOOL WINAPI documentedReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup,
                                     DWORD flags, LPVOID exclude, LPVOID reserved) {
    return !scannerHolds() && openTargetFolderAsRenameDoes(replaced) &&
           ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
}

inline BOOL WINAPI documentedDelete(LPCWSTR name) {
    return !scannerHolds() && DeleteFileW(name);
}

inline Win32Calls windowsAsDocumented() {
    return {&documentedCreate, &documentedReplace, &documentedMove, &documentedDelete};
}

}  // namespace tetomu::test
