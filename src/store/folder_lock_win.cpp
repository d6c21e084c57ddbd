// The folder lock on Windows: a named mutex after the folder's identity, and the look that tells
// whether the folder at the path is still the one locked.
#include <windows.h>

#include <utility>

#include "store/file_system_win.h"
#include "store/win32_files_win.h"

namespace tetomu {
namespace {

void appendHex(std::wstring& out, unsigned long long value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += L"0123456789abcdef"[(value >> shift) & 15];
}

// The folder's identity: its volume and file ID, the same through every spelling of its path
// (drive letter, "\\?\", subst, a junction). Empty when it cannot be opened.
std::wstring folderIdentity(const std::wstring& folder) {
    Handle handle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.valid()) return {};
    std::wstring identity;
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(handle.get(), FileIdInfo, &id, sizeof id)) {
        appendHex(identity, id.VolumeSerialNumber, 16);
        bool any = false;
        for (const BYTE b : id.FileId.Identifier) {
            appendHex(identity, b, 2);
            any = any || b != 0;
        }
        if (any) return identity;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle.get(), &info) &&
        (info.nFileIndexHigh != 0 || info.nFileIndexLow != 0)) {
        identity.clear();
        appendHex(identity, info.dwVolumeSerialNumber, 8);
        appendHex(identity, (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow, 16);
        return identity;
    }
    // Some network servers give no file IDs: the folder's final path, in one case, stands in.
    std::wstring final(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle.get(), final.data(), DWORD(final.size()),
                                                   FILE_NAME_NORMALIZED);
    if (length == 0 || length >= final.size()) return {};
    CharUpperBuffW(final.data(), length);
    unsigned long long hash = 14695981039346656037ull;
    for (DWORD i = 0; i < length; ++i)
        hash = (hash ^ final[i]) * 1099511628211ull;
    identity = L"path-";
    appendHex(identity, hash, 16);
    return identity;
}

}  // namespace

Win32FileSystem::~Win32FileSystem() {
    if (lock_) CloseHandle(static_cast<HANDLE>(lock_));
}

FolderLock Win32FileSystem::lockFolder(const std::filesystem::path& folder) {
    if (lock_) return FolderLock::Held;
    std::wstring identity = folderIdentity(longPathOf(folder));
    if (identity.empty()) return FolderLock::Unavailable;
    // In the "Global\" namespace: one lock for every session of the machine. A mutex that
    // another user's copy made may refuse this one even a handle: held elsewhere too.
    const std::wstring name = L"Global\\tetomu-memo-folder-" + identity;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD code = GetLastError();
    if (mutex && code == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return FolderLock::HeldElsewhere;
    }
    if (!mutex)
        return code == ERROR_ACCESS_DENIED ? FolderLock::HeldElsewhere : FolderLock::Unavailable;
    lock_ = mutex;
    lockedIdentity_ = std::move(identity);
    return FolderLock::Held;
}

bool Win32FileSystem::isLockedFolder(const std::filesystem::path& folder) {
    return !lock_ || folderIdentity(longPathOf(folder)) == lockedIdentity_;
}

}  // namespace tetomu
