// The folder lock on Windows: named mutexes after the folder's identity, and the look that tells
// whether the folder at the path is still the one locked.
#include <windows.h>

#include <utility>

#include "store/file_system_win.h"
#include "store/patience_win.h"
#include "store/win32_files_win.h"

namespace tetomu {
namespace {

void appendHex(std::wstring& out, unsigned long long value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += L"0123456789abcdef"[(value >> shift) & 15];
}

// FAT and exFAT make a file ID from where the entry sits in its parent folder, which the file
// system may move: there the volume and the folder's creation time name the folder instead.
bool idsLast(const Win32Calls& calls, HANDLE folder) {
    wchar_t system[MAX_PATH + 1] = {};
    if (!calls.volumeInformation(folder, nullptr, 0, nullptr, nullptr, nullptr, system,
                                 MAX_PATH + 1))
        return true;
    return std::wstring_view(system).find(L"FAT") == std::wstring_view::npos;
}

}  // namespace

// The folder's identity: its volume and file ID, the same through every spelling of its path
// (drive letter, "\\?\", subst, a junction). A folder that cannot be opened is refused, after the
// patience every call has: whether it is the same one is then unknown, not "another".
std::wstring Win32FileSystem::folderIdentity(const std::filesystem::path& folder) const {
    const std::wstring name = longPathOf(folder);
    Handle handle;
    const DWORD code = withPatience(
        [&] {
            handle.reset(calls_.createFile(name.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            return handle.valid();
        },
        {name.c_str()});
    if (code != 0)
        throw StoreError(StoreFault::FolderUnreachable, int(code), systemMessage(code), folder);
    std::wstring identity;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool informed = calls_.fileInformation(handle.get(), &info);
    if (informed && !idsLast(calls_, handle.get())) {
        identity = L"created-";
        appendHex(identity, info.dwVolumeSerialNumber, 8);
        appendHex(identity,
                  (ULONGLONG(info.ftCreationTime.dwHighDateTime) << 32) |
                      info.ftCreationTime.dwLowDateTime,
                  16);
        return identity;
    }
    FILE_ID_INFO id{};
    if (calls_.fileInformationEx(handle.get(), FileIdInfo, &id, sizeof id)) {
        appendHex(identity, id.VolumeSerialNumber, 16);
        bool any = false;
        for (const BYTE b : id.FileId.Identifier) {
            appendHex(identity, b, 2);
            any = any || b != 0;
        }
        if (any) return identity;
    }
    if (informed && (info.nFileIndexHigh != 0 || info.nFileIndexLow != 0)) {
        identity.clear();
        appendHex(identity, info.dwVolumeSerialNumber, 8);
        appendHex(identity, (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow, 16);
        return identity;
    }
    // Some network servers give no file IDs: the folder's final path, in one case, stands in.
    std::wstring final(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle.get(), final.data(), DWORD(final.size()),
                                                   FILE_NAME_NORMALIZED);
    if (length == 0 || length >= final.size()) {
        const DWORD error = GetLastError();
        throw StoreError(StoreFault::FolderUnreachable, int(error), systemMessage(error), folder);
    }
    CharUpperBuffW(final.data(), length);
    unsigned long long hash = 14695981039346656037ull;
    for (DWORD i = 0; i < length; ++i)
        hash = (hash ^ final[i]) * 1099511628211ull;
    identity = L"path-";
    appendHex(identity, hash, 16);
    return identity;
}

Win32FileSystem::~Win32FileSystem() {
    if (lock_) CloseHandle(static_cast<HANDLE>(lock_));
    if (sessionLock_) CloseHandle(static_cast<HANDLE>(sessionLock_));
}

FolderLock Win32FileSystem::lockFolder(const std::filesystem::path& folder) {
    if (lock_) return FolderLock::Held;
    std::wstring identity;
    try {
        identity = folderIdentity(folder);
    } catch (const StoreError&) {
        return FolderLock::Unavailable;
    }
    // Two mutexes: one in this session's namespace, which a copy in this session finds first,
    // and one in the "Global\" namespace, for every session of the machine. A mutex made by
    // another user's copy may refuse this one even a handle: held by that copy too.
    auto take = [&](const std::wstring& name, HANDLE& mutex) {
        mutex = calls_.createMutex(nullptr, FALSE, name.c_str());
        const DWORD code = GetLastError();
        if (mutex && code != ERROR_ALREADY_EXISTS) return FolderLock::Held;
        if (mutex) CloseHandle(std::exchange(mutex, nullptr));
        return code == ERROR_ALREADY_EXISTS || code == ERROR_ACCESS_DENIED
                   ? FolderLock::HeldElsewhere
                   : FolderLock::Unavailable;
    };
    HANDLE session = nullptr, machine = nullptr;
    const FolderLock here = take(L"Local\\tetomu-memo-folder-in-session-" + identity, session);
    if (here != FolderLock::Held) return here;
    const FolderLock anywhere = take(L"Global\\tetomu-memo-folder-" + identity, machine);
    if (anywhere != FolderLock::Held) {
        CloseHandle(session);
        return anywhere == FolderLock::HeldElsewhere ? FolderLock::HeldInAnotherSession : anywhere;
    }
    lock_ = machine;
    sessionLock_ = session;
    lockedIdentity_ = std::move(identity);
    return FolderLock::Held;
}

bool Win32FileSystem::isLockedFolder(const std::filesystem::path& folder) {
    return !lock_ || folderIdentity(folder) == lockedIdentity_;
}

}  // namespace tetomu
