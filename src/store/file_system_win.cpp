#include "store/file_system_win.h"

#include <windows.h>

#include <thread>
#include <utility>

namespace tetomu {
namespace {

StoreFault faultOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return StoreFault::NotFound;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return StoreFault::AlreadyExists;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
            return StoreFault::AccessDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return StoreFault::DiskFull;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_IO_DEVICE:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
            return StoreFault::IoError;
        case ERROR_CANT_ACCESS_FILE:
        case ERROR_DIRECTORY:
            return StoreFault::NotAFile;
        default:
            return StoreFault::Other;
    }
}

StoreError errorOf(DWORD code, const std::filesystem::path& path) {
    return StoreError(faultOf(code), int(code), systemMessage(code), path);
}

[[noreturn]] void fail(DWORD code, const std::filesystem::path& path) {
    throw errorOf(code, path);
}

// The refusals that another program's open handle gives, which pass when it closes: a scanner
// opening a fresh file without sharing (sharing and lock violations), a file deleted while open
// elsewhere, whose name stays taken until then (access denied), and ReplaceFile's own word for
// a replaced file it could not move aside yet, which leaves both names as they were.
bool isPassing(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
           code == ERROR_ACCESS_DENIED || code == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

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

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// What is at a name, without following it: attributes, and the reparse tag when there is one.
struct Entry {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    DWORD tag = 0;
    DWORD error = 0;  // why there is none
    bool exists() const { return attributes != INVALID_FILE_ATTRIBUTES; }
    EntryKind kind() const { return exists() ? entryKindOf(attributes, tag) : EntryKind::Missing; }
};

Entry entryAt(const std::wstring& path) {
    Entry entry;
    entry.attributes = GetFileAttributesW(path.c_str());
    if (!entry.exists()) entry.error = GetLastError();
    // Only a reparse point needs its tag, which the folder's own entry holds.
    if (entry.exists() && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data{};
        HANDLE find = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, 0);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            entry.tag = data.dwReserved0;
        } else {
            // Unknown tag: taken as a link, so never followed.
            entry.tag = IO_REPARSE_TAG_SYMLINK;
        }
    }
    return entry;
}

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

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

EntryKind entryKindOf(unsigned long attributes, unsigned long reparseTag) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Other;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag))
        return EntryKind::Other;
    return EntryKind::File;
}

std::wstring longPathOf(const std::filesystem::path& path) {
    const std::wstring& given = path.native();
    if (given.rfind(L"\\\\?\\", 0) == 0 || given.rfind(L"\\\\.\\", 0) == 0) return given;
    // The full form resolves "." and "..", turns "/" into "\" and drops trailing dots and
    // blanks, as the system does to a path without the prefix.
    std::wstring full(given.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(given.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (length == 0) return given;
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length + 1);
    }
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string systemMessage(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text) return {};
    std::wstring wide(text, length);
    LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) {
        wide.pop_back();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(std::size_t(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), size, nullptr,
                            nullptr);
    }
    return utf8;
}

Win32FileSystem::~Win32FileSystem() {
    if (lock_) CloseHandle(static_cast<HANDLE>(lock_));
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

std::string Win32FileSystem::read(const std::filesystem::path& path) {
    const std::wstring name = longPathOf(path);
    // Others may keep reading, writing or even deleting: the memo folder belongs to the person.
    // The name is opened as itself first, so a link is refused rather than followed.
    Handle file;
    const DWORD opened = withPatience([&] {
        file.reset(calls_.createFile(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return file.valid();
    });
    if (opened != 0) {
        if (entryAt(name).kind() == EntryKind::Other) fail(ERROR_CANT_ACCESS_FILE, path);
        fail(opened, path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) fail(GetLastError(), path);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag))
            tag.ReparseTag = IO_REPARSE_TAG_SYMLINK;
        if (entryKindOf(info.dwFileAttributes, tag.ReparseTag) != EntryKind::File)
            fail(ERROR_CANT_ACCESS_FILE, path);
        // A placeholder of a synced folder: opened again as the file it stands for, so the
        // system fetches its content. Had a link taken the name meanwhile, it is another file.
        Handle content;
        const DWORD reopened = withPatience([&] {
            content.reset(calls_.createFile(name.c_str(), GENERIC_READ, kShareAll, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
            return content.valid();
        });
        if (reopened != 0) fail(reopened, path);
        if (!sameFile(file.get(), content.get())) fail(ERROR_CANT_ACCESS_FILE, path);
        file.reset(content.release());
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        GetFileType(file.get()) != FILE_TYPE_DISK)
        fail(ERROR_CANT_ACCESS_FILE, path);
    std::string bytes;
    bytes.reserve(std::size_t(info.nFileSizeLow) | std::size_t(info.nFileSizeHigh) << 32);
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) fail(GetLastError(), path);
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return bytes;
}

std::string Win32FileSystem::readOrCreate(const std::filesystem::path& path) {
    const std::wstring name = longPathOf(path);
    for (;;) {
        const Entry entry = entryAt(name);
        if (entry.exists()) return read(path);
        if (entry.error != ERROR_FILE_NOT_FOUND) fail(entry.error, path);
        // CREATE_NEW fails on anything already at the name, a dangling link included.
        Handle created;
        const DWORD code = withPatience([&] {
            created.reset(calls_.createFile(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
            return created.valid();
        });
        if (code == 0) return {};
        if (code != ERROR_FILE_EXISTS) fail(code, path);
    }
}

void Win32FileSystem::write(const std::filesystem::path& path, std::string_view bytes) {
    const std::wstring target = longPathOf(path);
    const Entry before = entryAt(target);
    if (before.exists()) {
        if (before.kind() != EntryKind::File) fail(ERROR_CANT_ACCESS_FILE, path);
        // A file the person made read-only stays as it is, as an open for writing would refuse.
        if (before.attributes & FILE_ATTRIBUTE_READONLY) fail(ERROR_ACCESS_DENIED, path);
    }
    // The sibling is created new. One left by a save that was cut short is this program's own
    // and goes; anything else under that name is refused.
    const std::filesystem::path savingPath = savingPathFor(path);
    const std::wstring saving = longPathOf(savingPath);
    Handle file;
    const DWORD created = withPatience([&] {
        file.reset(calls_.createFile(saving.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file.valid();
        if (entryAt(saving).kind() == EntryKind::Other) {
            SetLastError(ERROR_CANT_ACCESS_FILE);
            return false;
        }
        // Its deletion may wait on a scanner's handle; the name is free once that closes.
        if (!calls_.deleteFile(saving.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            return false;
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    });
    if (created != 0) fail(created, created == ERROR_CANT_ACCESS_FILE ? savingPath : path);
    auto giveUp = [&](DWORD code) {
        file.close();
        removeQuietly(saving);
        fail(code, path);
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = DWORD(std::min<std::size_t>(left, 1u << 20));
        DWORD put = 0;
        if (!WriteFile(file.get(), p, chunk, &put, nullptr)) giveUp(GetLastError());
        p += put;
        left -= put;
    }
    // The bytes reach the disk before the name points at them: after a power cut the memo is
    // the old text or the new one, never an empty file.
    if (!FlushFileBuffers(file.get())) giveUp(GetLastError());
    if (!file.close()) giveUp(GetLastError());
    if (before.exists()) return replace(target, saving, path);
    const DWORD moved = withPatience(
        [&] { return calls_.moveFile(saving.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH); });
    if (moved != 0) {
        removeQuietly(saving);
        fail(moved, path);
    }
}

// Puts the flushed sibling in the target's place. The old file goes to a backup name first and
// is deleted once the new one is in place, so that whichever documented way the replace fails,
// each text is under a name this program knows: the new one under ".saving", the old one under
// its own name or the backup name.
void Win32FileSystem::replace(const std::wstring& target, const std::wstring& saving,
                              const std::filesystem::path& path) {
    const std::wstring backup = longPathOf(replacedPathFor(path));
    DWORD code = withPatience([&] {
        return calls_.replaceFile(target.c_str(), saving.c_str(), backup.c_str(),
                                  REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                  nullptr, nullptr) != 0;
    });
    auto move = [&](const std::wstring& from, const std::wstring& to, DWORD flags) {
        return withPatience([&] {
            return calls_.moveFile(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH);
        });
    };
    switch (code) {
        case 0:
            break;
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
            // The old file is under the backup name and the new one still under ".saving", which
            // has taken on the old file's attributes: moving it into place finishes the save.
            if (move(saving, target, 0) == 0) break;
            // Else the old text goes back; failing that too, both stay for the next start.
            if (move(backup, target, 0) == 0) removeQuietly(saving);
            fail(code, path);
        case ERROR_INVALID_PARAMETER:
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
            // A file system without the replace (some network servers) left both names as they
            // were: a plain rename over the target is atomic there, without the attributes.
            if (move(saving, target, MOVEFILE_REPLACE_EXISTING) == 0) break;
            [[fallthrough]];
        default:
            // Both names are as they were (ERROR_UNABLE_TO_MOVE_REPLACEMENT with a backup name
            // included): the old text stands, and the new one is told as not saved.
            removeQuietly(saving);
            fail(code, path);
    }
    // A backup that cannot go now goes at the next start.
    removeQuietly(backup);
}

// Removes a file of the program's own that is no longer needed; one that cannot go now is a
// left-over for the next start.
void Win32FileSystem::removeQuietly(const std::wstring& name) const {
    withPatience([&] { return calls_.deleteFile(name.c_str()) != 0; });
}

void Win32FileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    const std::wstring source = longPathOf(from);
    const std::wstring target = longPathOf(to);
    // Without MOVEFILE_REPLACE_EXISTING the system refuses an existing target itself.
    const DWORD code = withPatience(
        [&] { return calls_.moveFile(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH); });
    if (code == 0) return;
    fail(code, faultOf(code) == StoreFault::AlreadyExists ? to : from);
}

void Win32FileSystem::remove(const std::filesystem::path& path) {
    const std::wstring name = longPathOf(path);
    const DWORD code = withPatience([&] { return calls_.deleteFile(name.c_str()) != 0; });
    if (code != 0) fail(code, path);
}

// A rename or delete is not documented as on the disk when the call returns (only a move across
// volumes is, with MOVEFILE_WRITE_THROUGH), so the folder itself is flushed where a step needs its
// names kept. The handle shares everything: it is open for a moment and denies no one.
void Win32FileSystem::flushFolder(const std::filesystem::path& folder) {
    Handle handle(CreateFileW(longPathOf(folder).c_str(), GENERIC_WRITE | SYNCHRONIZE, kShareAll,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    DWORD code = handle.valid() && FlushFileBuffers(handle.get()) ? 0 : GetLastError();
    switch (code) {
        case 0:
        // A file system or a folder that cannot be flushed so: its changes stand as made.
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_FUNCTION:
        case ERROR_INVALID_PARAMETER:
        case ERROR_NOT_SUPPORTED:
            return;
        default:
            fail(code, folder);
    }
}

EntryKind Win32FileSystem::kind(const std::filesystem::path& path) {
    return entryAt(longPathOf(path)).kind();
}

// A handle for attributes alone reads no content: a cloud placeholder is not fetched for it.
FileLook Win32FileSystem::look(const std::filesystem::path& path) {
    Handle file(CreateFileW(longPathOf(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return {};
    const auto join = [](DWORD high, DWORD low) {
        return (std::uint64_t(high) << 32) | std::uint64_t(low);
    };
    return {true, join(info.nFileSizeHigh, info.nFileSizeLow),
            // 100 ns ticks since 1601, as nanoseconds since 1970 (which fit).
            (std::int64_t(
                 join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)) -
             116444736000000000) *
                100,
            info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow)};
}

void Win32FileSystem::list(const std::filesystem::path& folder,
                           const std::function<void(const FolderEntry&)>& visit) {
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = longPathOf(folder) + L"\\*";
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) fail(GetLastError(), folder);
    do {
        const std::wstring_view name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        // The reserved field holds the reparse tag of a reparse point.
        visit({name, entryKindOf(entry.dwFileAttributes, entry.dwReserved0)});
    } while (FindNextFileW(find, &entry));
    const DWORD code = GetLastError();
    FindClose(find);
    if (code != ERROR_NO_MORE_FILES) fail(code, folder);
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

StoreError Win32FileSystem::refusal(StoreFault fault, const std::filesystem::path& path) const {
    switch (fault) {
        case StoreFault::NotFound:
            return errorOf(ERROR_FILE_NOT_FOUND, path);
        case StoreFault::AlreadyExists:
            return errorOf(ERROR_FILE_EXISTS, path);
        case StoreFault::AccessDenied:
            return errorOf(ERROR_ACCESS_DENIED, path);
        case StoreFault::DiskFull:
            return errorOf(ERROR_DISK_FULL, path);
        case StoreFault::IoError:
            return errorOf(ERROR_IO_DEVICE, path);
        case StoreFault::NotAFile:
            return errorOf(ERROR_CANT_ACCESS_FILE, path);
        case StoreFault::FolderReplaced:
            return StoreError(fault, int(ERROR_FILE_INVALID), systemMessage(ERROR_FILE_INVALID),
                              path);
        case StoreFault::Other:
            break;
    }
    return errorOf(ERROR_INVALID_FUNCTION, path);
}

}  // namespace tetomu
