#include "win32/win32_file_system.h"

#include <windows.h>

#include <thread>
#include <utility>

#include "store/store_error.h"

namespace tetomu {
namespace {

StoreFault faultOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
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
        default:
            return StoreFault::Other;
    }
}

[[noreturn]] void fail(DWORD code, const std::filesystem::path& path) {
    throw StoreError(faultOf(code), int(code), systemMessage(code), path);
}

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

std::string openAndRead(const std::filesystem::path& path, DWORD disposition) {
    // Others may keep reading, writing or even deleting: the memo folder belongs to the person.
    Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) fail(GetLastError(), path);
    std::string bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        bytes.reserve(std::size_t(size.QuadPart));
    }
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

std::string Win32FileSystem::read(const std::filesystem::path& path) {
    return openAndRead(path, OPEN_EXISTING);
}

std::string Win32FileSystem::readOrCreate(const std::filesystem::path& path) {
    return openAndRead(path, OPEN_ALWAYS);
}

void Win32FileSystem::write(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path saving = savingPathFor(path);
    Handle file(CreateFileW(saving.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) fail(GetLastError(), path);
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
        return MoveFileExW(saving.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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

bool Win32FileSystem::exists(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tetomu
