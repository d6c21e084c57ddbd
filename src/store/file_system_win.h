#pragma once
// The file calls on Windows. A save goes to a sibling file created new, flushed to the disk and
// put in the memo's place with ReplaceFile, which keeps the old file's attributes and security;
// a file the person made read-only is refused. Links, junctions and folders at a memo name are
// refused. Names are matched as Windows matches them, without regard to case.
//
// A virus scanner or the search indexer may hold a memo open for a moment just after it was
// written; a replace, rename or delete that it blocks is tried again for up to about a second
// before it counts as refused. The folder lock is a handle on the memo folder that no second
// copy can share.
#include <chrono>

#include "store/file_system.h"

namespace tetomu {

class Win32FileSystem final : public FileSystem {
  public:
    Win32FileSystem() = default;
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;
    ~Win32FileSystem() override;

    // How long a blocked replace, rename or delete keeps trying.
    std::chrono::milliseconds patience{1000};

    std::string read(const std::filesystem::path& path) override;
    std::string readOrCreate(const std::filesystem::path& path) override;
    void write(const std::filesystem::path& path, std::string_view bytes) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) override;
    // Not yet: see RELIABILITY.md for what the system gives and what this needs to do.
    void flushFolder(const std::filesystem::path&) override {}
    EntryKind kind(const std::filesystem::path& path) override;
    void list(const std::filesystem::path& folder,
              const std::function<void(const FolderEntry&)>& visit) override;
    FolderLock lockFolder(const std::filesystem::path& folder) override;
    bool namesIgnoreCase() const override { return true; }
    StoreError refusal(StoreFault fault, const std::filesystem::path& path) const override;

  private:
    void* lock_ = nullptr;
};

// The system's own text for an error code, as UTF-8, without the trailing line break.
std::string systemMessage(unsigned long code);

}  // namespace tetomu
