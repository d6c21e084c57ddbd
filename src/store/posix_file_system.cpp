#include "store/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "store/store_error.h"

namespace tetomu {
namespace {

StoreFault faultOf(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return StoreFault::NotFound;
        case EEXIST:
        case ENOTEMPTY:
            return StoreFault::AlreadyExists;
        case EACCES:
        case EPERM:
        case EROFS:
            return StoreFault::AccessDenied;
        case ENOSPC:
        case EDQUOT:
            return StoreFault::DiskFull;
        case EIO:
            return StoreFault::IoError;
        default:
            return StoreFault::Other;
    }
}

[[noreturn]] void fail(int err, const std::filesystem::path& path) {
    throw StoreError(faultOf(err), err, std::strerror(err), path);
}

// Closes on every way out; a close that fails after a write is reported by the caller.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

std::string readAll(int fd, const std::filesystem::path& path) {
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(std::size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            fail(errno, path);
        }
        bytes.append(buffer, std::size_t(got));
    }
    return bytes;
}

std::string openAndRead(const std::filesystem::path& path, int flags) {
    Fd fd(::open(path.c_str(), flags | O_CLOEXEC, 0666));
    if (fd.get() < 0) fail(errno, path);
    return readAll(fd.get(), path);
}

}  // namespace

std::string PosixFileSystem::read(const std::filesystem::path& path) {
    return openAndRead(path, O_RDONLY);
}

std::string PosixFileSystem::readOrCreate(const std::filesystem::path& path) {
    return openAndRead(path, O_RDONLY | O_CREAT);
}

void PosixFileSystem::write(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path saving = savingPathFor(path);
    Fd fd(::open(saving.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.get() < 0) fail(errno, path);
    step(WriteStep::Opened);
    auto giveUp = [&](int err) {
        ::close(fd.release());
        ::unlink(saving.c_str());
        fail(err, path);
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd.get(), p, left);
        if (put < 0) {
            if (errno == EINTR) continue;
            giveUp(errno);
        }
        p += put;
        left -= std::size_t(put);
    }
    step(WriteStep::Written);
    // The bytes reach the disk before the name points at them: after a power cut the memo is
    // the old text or the new one, never an empty file.
    if (::fdatasync(fd.get()) != 0) giveUp(errno);
    step(WriteStep::Synced);
    if (::close(fd.release()) != 0) {
        const int err = errno;
        ::unlink(saving.c_str());
        fail(err, path);
    }
    if (::rename(saving.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(saving.c_str());
        fail(err, path);
    }
    step(WriteStep::Renamed);
}

void PosixFileSystem::step(WriteStep reached) {
    if (afterWriteStep) afterWriteStep(reached);
}

void PosixFileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    // The system refuses an existing target in the same step as the rename.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    const int err = errno;
    if (err == EEXIST) fail(err, to);
    if (err != EINVAL && err != ENOSYS) fail(err, from);
    // A file system without that flag: check, then rename. One copy runs, so nothing races.
    if (exists(to)) fail(EEXIST, to);
    if (::rename(from.c_str(), to.c_str()) != 0) fail(errno, from);
}

void PosixFileSystem::remove(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0) fail(errno, path);
}

bool PosixFileSystem::exists(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace tetomu

namespace tetomu {

std::vector<std::string> PosixFileSystem::names(const std::filesystem::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) fail(errno, folder);
    std::vector<std::string> found;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") found.emplace_back(name);
    }
    const int err = errno;
    ::closedir(dir);
    if (err != 0) fail(err, folder);
    return found;
}

}  // namespace tetomu
