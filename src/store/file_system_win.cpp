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

constexpr DWORD kNotAFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;

// The refusals that someone else holding the file open gives; they pass by themselves.
bool isPassing(DWORD code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
           code == ERROR_LOCK_VIOLATION;
}

// Runs the call until it succeeds, fails for a lasting reason or runs out of patience. Returns 0
// on success, otherwise the last error.
template <class Call>
DWORD withPatience(std::chrono::milliseconds patience, Call&& call) {
    const auto giveUpAt = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(10);
    for (;;) {
        if (call()) return 0;
        const DWORD code = GetLastError();
        if (!isPassing(code) || std::chrono::steady_clock::now() >= giveUpAt) return code;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    bool close() { return CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)) != 0; }

  private:
    HANDLE h_;
};

DWORD attributesOf(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str());
}

std::string readFile(const std::filesystem::path& path) {
    // Others may keep reading, writing or even deleting: the memo folder belongs to the person.
    // A link is opened as itself, to be refused, not followed.
    Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        const DWORD attributes = attributesOf(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotAFileAttributes))
            fail(ERROR_CANT_ACCESS_FILE, path);
        fail(code, path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) fail(GetLastError(), path);
    if ((info.dwFileAttributes & kNotAFileAttributes) || GetFileType(file.get()) != FILE_TYPE_DISK)
        fail(ERROR_CANT_ACCESS_FILE, path);
    std::string bytes;
    bytes.reserve(std::size_t(info.nFileSizeLow) | std::size_t(info.nFileSizeHigh) << 32);
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            fail(GetLastError(), path);
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return bytes;
}

// The sibling file of a save, created new. One left by a save that was cut short is this
// program's own and goes; anything else under that name is refused.
HANDLE createSaving(const std::filesystem::path& saving) {
    for (int attempt = 0;; ++attempt) {
        HANDLE file = CreateFileW(saving.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || attempt > 0) return file;
        if (GetLastError() != ERROR_FILE_EXISTS) return file;
        const DWORD attributes = attributesOf(saving);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotAFileAttributes)) {
            SetLastError(ERROR_CANT_ACCESS_FILE);
            return INVALID_HANDLE_VALUE;
        }
        DeleteFileW(saving.c_str());
    }
}

}  // namespace

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

std::string Win32FileSystem::read(const std::filesystem::path& path) {
    return readFile(path);
}

std::string Win32FileSystem::readOrCreate(const std::filesystem::path& path) {
    for (;;) {
        if (attributesOf(path) != INVALID_FILE_ATTRIBUTES) return readFile(path);
        const DWORD missing = GetLastError();
        if (missing != ERROR_FILE_NOT_FOUND) fail(missing, path);
        // CREATE_NEW fails on anything already at the name, a dangling link included.
        Handle created(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (created.valid()) return {};
        if (GetLastError() != ERROR_FILE_EXISTS) fail(GetLastError(), path);
    }
}

void Win32FileSystem::write(const std::filesystem::path& path, std::string_view bytes) {
    const DWORD attributes = attributesOf(path);
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (existed) {
        if (attributes & kNotAFileAttributes) fail(ERROR_CANT_ACCESS_FILE, path);
        // A file the person made read-only stays as it is, as an open for writing would refuse.
        if (attributes & FILE_ATTRIBUTE_READONLY) fail(ERROR_ACCESS_DENIED, path);
    }
    const std::filesystem::path saving = savingPathFor(path);
    Handle file(createSaving(saving));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        fail(code, code == ERROR_CANT_ACCESS_FILE ? saving : path);
    }
    auto giveUp = [&](DWORD code) {
        file.close();
        DeleteFileW(saving.c_str());
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
    if (!file.close()) {
        const DWORD code = GetLastError();
        DeleteFileW(saving.c_str());
        fail(code, path);
    }
    const DWORD code = withPatience(patience, [&] {
        // ReplaceFile keeps the replaced file's attributes, security and creation time.
        if (existed) {
            return ReplaceFileW(path.c_str(), saving.c_str(), nullptr,
                                REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                nullptr, nullptr) != 0;
        }
        return MoveFileExW(saving.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    });
    if (code != 0) {
        DeleteFileW(saving.c_str());
        fail(code, path);
    }
}

void Win32FileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    // Without MOVEFILE_REPLACE_EXISTING the system refuses an existing target itself.
    const DWORD code = withPatience(patience, [&] {
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    });
    if (code == 0) return;
    fail(code, faultOf(code) == StoreFault::AlreadyExists ? to : from);
}

void Win32FileSystem::remove(const std::filesystem::path& path) {
    const DWORD code = withPatience(patience, [&] { return DeleteFileW(path.c_str()) != 0; });
    if (code != 0) fail(code, path);
}

EntryKind Win32FileSystem::kind(const std::filesystem::path& path) {
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::Missing;
    return attributes & kNotAFileAttributes ? EntryKind::Other : EntryKind::File;
}

void Win32FileSystem::list(const std::filesystem::path& folder,
                           const std::function<void(const FolderEntry&)>& visit) {
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = (folder / L"*").native();
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) fail(GetLastError(), folder);
    do {
        const std::wstring_view name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        visit({name,
               entry.dwFileAttributes & kNotAFileAttributes ? EntryKind::Other : EntryKind::File});
    } while (FindNextFileW(find, &entry));
    const DWORD code = GetLastError();
    FindClose(find);
    if (code != ERROR_NO_MORE_FILES) fail(code, folder);
}

FolderLock Win32FileSystem::lockFolder(const std::filesystem::path& folder) {
    if (lock_) return FolderLock::Held;
    // A handle on the folder that may add files, shared with readers only: a second copy asking
    // for the same is refused, while the person's other programs list and use the folder.
    HANDLE handle = CreateFileW(folder.c_str(), FILE_ADD_FILE | SYNCHRONIZE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION ? FolderLock::HeldElsewhere
                                                         : FolderLock::Unavailable;
    }
    lock_ = handle;
    return FolderLock::Held;
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
        case StoreFault::Other:
            break;
    }
    return errorOf(ERROR_INVALID_FUNCTION, path);
}

}  // namespace tetomu
