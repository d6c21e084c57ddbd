// Reading on Windows: what is at a name, a memo's bytes, the folder's entries. A link is refused
// rather than followed; any other reparse point is read as the file it stands for.
#include <windows.h>

#include "store/file_system_win.h"
#include "store/patience_win.h"
#include "store/win32_files_win.h"

namespace tetomu {
namespace {

// What a file whose content is not on the disk carries. A synced folder's filter hides its
// placeholders' reparse tags from most programs, so that such a file looks plain but for these.
constexpr DWORD kRecallOnDataAccess = 0x00400000;  // FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS
constexpr DWORD kRecallOnOpen = 0x00040000;        // FILE_ATTRIBUTE_RECALL_ON_OPEN
constexpr DWORD kNotOnDisk = kRecallOnDataAccess | kRecallOnOpen | FILE_ATTRIBUTE_OFFLINE;

bool sameFile(const Win32Calls& calls, HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return calls.fileInformation(a, &x) && calls.fileInformation(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

FileLook lookOf(const BY_HANDLE_FILE_INFORMATION& info) {
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

}  // namespace

EntryKind entryKindOf(unsigned long attributes, unsigned long reparseTag) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Other;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag))
        return EntryKind::Other;
    return EntryKind::File;
}

EntryKind Entry::kind() const {
    return exists() ? entryKindOf(attributes, tag) : EntryKind::Missing;
}

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

std::string Win32FileSystem::read(const std::filesystem::path& path, FileLook* look) {
    const std::wstring name = longPathOf(path);
    // Others may keep reading, writing or even deleting: the memo folder belongs to the person.
    // The name is opened as itself first, so a link is refused rather than followed.
    Handle file;
    const DWORD opened = withPatience(
        [&] {
            file.reset(calls_.createFile(name.c_str(), GENERIC_READ, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            return file.valid();
        },
        {name.c_str()});
    if (opened != 0) {
        if (entryAt(name).kind() == EntryKind::Other) fail(ERROR_CANT_ACCESS_FILE, path);
        fail(opened, path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!calls_.fileInformation(file.get(), &info)) fail(GetLastError(), path);
    // As look() sees the name: the entry itself, a placeholder's too.
    if (look) *look = lookOf(info);
    const bool reparse = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (reparse) {
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag))
            tag.ReparseTag = IO_REPARSE_TAG_SYMLINK;
        if (entryKindOf(info.dwFileAttributes, tag.ReparseTag) != EntryKind::File)
            fail(ERROR_CANT_ACCESS_FILE, path);
    }
    if (reparse || (info.dwFileAttributes & kNotOnDisk)) {
        // A placeholder of a synced folder, shown as one or as a plain file whose content is
        // elsewhere: opened again as the file it stands for, so the system fetches its content.
        // Had a link taken the name meanwhile, it is another file.
        Handle content;
        const DWORD reopened = withPatience(
            [&] {
                content.reset(calls_.createFile(name.c_str(), GENERIC_READ, kShareAll, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
                return content.valid();
            },
            {name.c_str()});
        if (reopened != 0) fail(reopened, path);
        if (!sameFile(calls_, file.get(), content.get())) fail(ERROR_CANT_ACCESS_FILE, path);
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
        const DWORD code = withPatience(
            [&] {
                created.reset(calls_.createFile(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
                return created.valid();
            },
            {name.c_str()});
        if (code == 0) return {};
        if (code != ERROR_FILE_EXISTS) fail(code, path);
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
    return lookOf(info);
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

}  // namespace tetomu
