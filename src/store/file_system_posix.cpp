#include "store/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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
        case ETXTBSY:
            return StoreFault::AccessDenied;
        case ENOSPC:
        case EDQUOT:
            return StoreFault::DiskFull;
        case EIO:
            return StoreFault::IoError;
        case ELOOP:
        case EISDIR:
        case ENXIO:
            return StoreFault::NotAFile;
        default:
            return StoreFault::Other;
    }
}

StoreError errorOf(int err, const std::filesystem::path& path) {
    return StoreError(faultOf(err), err, std::strerror(err), path);
}

[[noreturn]] void fail(int err, const std::filesystem::path& path) {
    throw errorOf(err, path);
}

// The number the system gives for something that is not a plain file: a link (as an open that
// does not follow links answers), a folder, or a pipe or device.
int notAFileError(mode_t mode) {
    if (S_ISLNK(mode)) return ELOOP;
    if (S_ISDIR(mode)) return EISDIR;
    return ENXIO;
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

FileLook lookOf(const struct stat& st) {
    return {true, std::uint64_t(st.st_size),
            std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

std::string readAll(int fd, const std::filesystem::path& path, FileLook* look = nullptr) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) fail(errno, path);
    if (!S_ISREG(st.st_mode)) fail(notAFileError(st.st_mode), path);
    if (look) *look = lookOf(st);
    // Read straight into the string, sized as the file says, and on for as long as it grows.
    std::string bytes(std::size_t(st.st_size) + 1, '\0');
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            fail(errno, path);
        }
        have += std::size_t(got);
    }
    bytes.resize(have);
    return bytes;
}

// Opens for reading without following a link and without waiting for a writer on a pipe;
// -1 with errno set when refused.
int openForReading(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

// The sibling file of a save, created new. One left by a save that was cut short is this
// program's own and goes; anything else under that name (a link, a folder) is refused.
int createSaving(const std::filesystem::path& saving) {
    for (int attempt = 0;; ++attempt) {
        const int fd =
            ::open(saving.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST || attempt > 0) return fd;
        struct stat st {};
        if (::lstat(saving.c_str(), &st) != 0) continue;
        if (!S_ISREG(st.st_mode)) {
            errno = notAFileError(st.st_mode);
            return -1;
        }
        ::unlink(saving.c_str());
    }
}

}  // namespace

PosixFileSystem::~PosixFileSystem() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

std::string PosixFileSystem::read(const std::filesystem::path& path, FileLook* look) {
    Fd fd(openForReading(path));
    if (fd.get() < 0) fail(errno, path);
    return readAll(fd.get(), path, look);
}

std::string PosixFileSystem::readOrCreate(const std::filesystem::path& path) {
    for (;;) {
        Fd fd(openForReading(path));
        if (fd.get() >= 0) return readAll(fd.get(), path);
        if (errno != ENOENT) fail(errno, path);
        // O_EXCL never follows a link: a link left dangling at the name is not brought to life.
        const int created =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (created >= 0) {
            ::close(created);
            return {};
        }
        if (errno != EEXIST) fail(errno, path);
    }
}

void PosixFileSystem::write(const std::filesystem::path& path, std::string_view bytes) {
    struct stat target {};
    const bool existed = ::lstat(path.c_str(), &target) == 0;
    if (existed) {
        if (!S_ISREG(target.st_mode)) fail(notAFileError(target.st_mode), path);
        // A file the person made read-only stays as it is, as an open for writing would refuse.
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) fail(errno, path);
    } else if (errno != ENOENT) {
        fail(errno, path);
    }
    const std::filesystem::path saving = savingPathFor(path);
    Fd fd(createSaving(saving));
    if (fd.get() < 0) {
        const int err = errno;
        fail(err, faultOf(err) == StoreFault::NotAFile ? saving : path);
    }
    step(WriteStep::Opened);
    auto giveUp = [&](int err) {
        ::close(fd.release());
        ::unlink(saving.c_str());
        fail(err, path);
    };
    if (existed) {
        // The new file takes the old one's owner and mode before any byte is in it. Only the
        // owner's group may fail to carry over; the mode always does.
        if (target.st_uid != ::geteuid() || target.st_gid != ::getegid()) {
            static_cast<void>(::fchown(fd.get(), target.st_uid, target.st_gid));
        }
        if (::fchmod(fd.get(), target.st_mode & 07777) != 0) giveUp(errno);
    }
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
    if (kind(to) != EntryKind::Missing) fail(EEXIST, to);
    if (::rename(from.c_str(), to.c_str()) != 0) fail(errno, from);
}

void PosixFileSystem::remove(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0) fail(errno, path);
}

void PosixFileSystem::flushFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) fail(errno, folder);
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // A file system that cannot flush a folder says so with EINVAL; its names are as safe as it
    // makes them, and nothing better can be done here.
    if (err != 0 && err != EINVAL) fail(err, folder);
}

EntryKind PosixFileSystem::kind(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return EntryKind::Missing;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

FileLook PosixFileSystem::look(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    return lookOf(st);
}

void PosixFileSystem::list(const std::filesystem::path& folder,
                           const std::function<void(const FolderEntry&)>& visit) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) fail(errno, folder);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        EntryKind kind = entry->d_type == DT_REG ? EntryKind::File : EntryKind::Other;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            kind = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISREG(st.st_mode)
                       ? EntryKind::File
                       : EntryKind::Other;
        }
        visit({name, kind});
        errno = 0;
    }
    const int err = errno;
    ::closedir(dir);
    if (err != 0) fail(err, folder);
}

FolderLock PosixFileSystem::lockFolder(const std::filesystem::path& folder) {
    if (lockFd_ >= 0) return FolderLock::Held;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return FolderLock::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? FolderLock::HeldElsewhere : FolderLock::Unavailable;
    }
    struct stat st {};
    ::fstat(fd, &st);
    lockFd_ = fd;
    locked_ = {st.st_dev, st.st_ino};
    return FolderLock::Held;
}

bool PosixFileSystem::isLockedFolder(const std::filesystem::path& folder) {
    if (lockFd_ < 0) return true;
    struct stat now {};
    // Only a folder seen at the path tells: one that cannot be looked at is refused as it is.
    if (::stat(folder.c_str(), &now) != 0) {
        const int err = errno;
        throw StoreError(StoreFault::FolderUnreachable, err, std::strerror(err), folder);
    }
    return locked_ == std::pair{now.st_dev, now.st_ino};
}

StoreError PosixFileSystem::refusal(StoreFault fault, const std::filesystem::path& path) const {
    switch (fault) {
        case StoreFault::NotFound:
            return errorOf(ENOENT, path);
        case StoreFault::AlreadyExists:
            return errorOf(EEXIST, path);
        case StoreFault::AccessDenied:
            return errorOf(EACCES, path);
        case StoreFault::DiskFull:
            return errorOf(ENOSPC, path);
        case StoreFault::IoError:
            return errorOf(EIO, path);
        case StoreFault::NotAFile: {
            struct stat st {};
            return errorOf(::lstat(path.c_str(), &st) == 0 ? notAFileError(st.st_mode) : ENXIO,
                           path);
        }
        case StoreFault::FolderReplaced:
            return StoreError(fault, ESTALE, std::strerror(ESTALE), path);
        case StoreFault::FolderUnreachable:
            return StoreError(fault, ENOENT, std::strerror(ENOENT), path);
        case StoreFault::Other:
            break;
    }
    return errorOf(EINVAL, path);
}

}  // namespace tetomu
