#pragma once
// The file calls on Linux and other POSIX systems. A save goes to a sibling file created
// exclusively (never through a link), given the old file's mode and owner, flushed to the disk
// and renamed over the target, so neither a crash nor a power cut leaves half a memo. Files are
// opened without following links and without waiting, and anything but a plain file is refused.
// The folder lock is an flock() on the memo folder itself; a folder flush is an fsync() on it.
#include <sys/types.h>

#include <functional>
#include <utility>

#include "store/file_system.h"

namespace tetomu {

class PosixFileSystem : public FileSystem {
  public:
    PosixFileSystem() = default;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;
    ~PosixFileSystem() override;

    std::string read(const std::filesystem::path& path, FileLook* look = nullptr) override;
    std::string readOrCreate(const std::filesystem::path& path) override;
    void write(const std::filesystem::path& path, std::string_view bytes) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) override;
    void flushFolder(const std::filesystem::path& folder) override;
    EntryKind kind(const std::filesystem::path& path) override;
    FileLook look(const std::filesystem::path& path) override;
    void list(const std::filesystem::path& folder,
              const std::function<void(const FolderEntry&)>& visit) override;
    FolderLock lockFolder(const std::filesystem::path& folder) override;
    bool isLockedFolder(const std::filesystem::path& folder) override;
    bool namesIgnoreCase() const override { return false; }
    StoreError refusal(StoreFault fault, const std::filesystem::path& path) const override;

    // The steps of write(), in order. The kill campaign stops the program at each of them to
    // show that none leaves a memo truncated; nothing else sets the hook.
    enum class WriteStep { Opened, Written, Synced, Renamed };
    std::function<void(WriteStep)> afterWriteStep;

  private:
    void step(WriteStep reached);

    int lockFd_ = -1;
    std::pair<dev_t, ino_t> locked_{};  // the locked folder's device and inode
};

}  // namespace tetomu
