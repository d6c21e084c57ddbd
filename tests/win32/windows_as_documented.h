#pragma once
// The Windows file calls as Microsoft documents them where Wine does less. Before a rename or a
// replace, Windows opens the target's folder for adding a file (FILE_ADD_FILE | SYNCHRONIZE,
// sharing reading, writing and deleting) and fails with a sharing violation when a handle on the
// folder does not share writing; Wine renames without that open, but does check the sharing
// between two handles, so the open is made here, through Wine's own checks. Every Windows test
// of the store runs on these calls.
#include <windows.h>

#include <string>

#include "store/win32_calls_win.h"

namespace tetomu::test {

inline BOOL openTargetFolderAsRenameDoes(LPCWSTR target) {
    std::wstring folder(target);
    folder.resize(folder.find_last_of(L'\\'));
    HANDLE handle = CreateFileW(folder.c_str(), FILE_ADD_FILE | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FALSE;
    CloseHandle(handle);
    return TRUE;
}

inline BOOL WINAPI documentedMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return openTargetFolderAsRenameDoes(to) && MoveFileExW(from, to, flags);
}

inline BOOL WINAPI documentedReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup,
                                     DWORD flags, LPVOID exclude, LPVOID reserved) {
    return openTargetFolderAsRenameDoes(replaced) &&
           ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
}

inline Win32Calls windowsAsDocumented() {
    Win32Calls calls;
    calls.moveFile = &documentedMove;
    calls.replaceFile = &documentedReplace;
    return calls;
}

}  // namespace tetomu::test
