// The Windows file layer's plain calls: the system's refusals as StoreErrors, the long form of a
// path, renames, removals and the folder flush. Reading is reading_win.cpp's, the save
// replace_win.cpp's, the folder lock folder_lock_win.cpp's.
#include "store/file_system_win.h"

#include "store/patience_win.h"
#include "store/win32_files_win.h"

namespace tetomu {

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

void fail(DWORD code, const std::filesystem::path& path) {
    throw errorOf(code, path);
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

// The refusals that pass: another program's open handle (a scanner opening a fresh file without
// sharing gives sharing and lock violations; ReplaceFile's own word for a replaced file it could
// not move aside yet leaves both names as they were), a network share gone for a moment, and a
// file deleted while open elsewhere, whose name stays taken until that closes (access denied).
// Access denied is also what lasts: a folder at the name, a file the person made read-only, a
// folder that refuses new files. So the names are looked at: a file whose deletion is pending
// refuses even the look at its attributes; a folder, a read-only file, a plain file or a free
// name is seen, and the refusal stands at once.
bool Win32FileSystem::passes(unsigned long code,
                             std::initializer_list<const wchar_t*> names) const {
    switch (code) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_SEM_TIMEOUT:
            return true;
        case ERROR_ACCESS_DENIED:
            for (const wchar_t* name : names) {
                if (calls_.fileAttributes(name) == INVALID_FILE_ATTRIBUTES &&
                    GetLastError() == ERROR_ACCESS_DENIED)
                    return true;
            }
            return false;
        default:
            return false;
    }
}

void Win32FileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    const std::wstring source = longPathOf(from);
    const std::wstring target = longPathOf(to);
    // Without MOVEFILE_REPLACE_EXISTING the system refuses an existing target itself.
    const DWORD code = withPatience(
        [&] { return calls_.moveFile(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH); },
        {source.c_str(), target.c_str()});
    if (code == 0) return;
    fail(code, faultOf(code) == StoreFault::AlreadyExists ? to : from);
}

void Win32FileSystem::remove(const std::filesystem::path& path) {
    const std::wstring name = longPathOf(path);
    const DWORD code =
        withPatience([&] { return calls_.deleteFile(name.c_str()) != 0; }, {name.c_str()});
    if (code != 0) fail(code, path);
}

// A rename or delete is not documented as on the disk when the call returns (only a move across
// volumes is, with MOVEFILE_WRITE_THROUGH), so the folder itself is flushed where a step needs its
// names kept. The handle shares everything: it is open for a moment and denies no one.
void Win32FileSystem::flushFolder(const std::filesystem::path& folder) {
    const std::wstring name = longPathOf(folder);
    const DWORD code = withPatience(
        [&] {
            Handle handle(calls_.createFile(name.c_str(), GENERIC_WRITE | SYNCHRONIZE, kShareAll,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
            return handle.valid() && FlushFileBuffers(handle.get());
        },
        {name.c_str()});
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
        case StoreFault::FolderUnreachable:
            return errorOf(ERROR_PATH_NOT_FOUND, path);
        case StoreFault::FolderReplaced:
            return StoreError(fault, int(ERROR_FILE_INVALID), systemMessage(ERROR_FILE_INVALID),
                              path);
        case StoreFault::Other:
            break;
    }
    return errorOf(ERROR_INVALID_FUNCTION, path);
}

}  // namespace tetomu
