#pragma once
// The file calls on Windows, held to what Microsoft documents rather than to what Wine happens
// to do (RELIABILITY.md lists each call, its documented failures and what is done about them).
//
// A save goes to a sibling file created new, flushed to the disk and put in the memo's place
// with ReplaceFile, which keeps the old file's attributes and security. ReplaceFile is given a
// backup name of this program's own, so that no documented failure leaves the old text under a
// name nobody knows: what it leaves is finished here, or else put back by the next start. A file
// the person made read-only is refused.
//
// Only what names another place is refused as "not a file": links, junctions and mount points.
// Every other reparse point (a synced folder's cloud placeholder, a deduplicated or compressed
// file) is opened as the file it is, and the system fetches it when it is read.
//
// A virus scanner, the indexer or a sync client may hold a fresh file for a moment: every call
// that can meet that (open, create, replace, rename, delete) is tried again for up to `patience`.
//
// The folder lock is a named mutex after the folder's identity (its volume and file ID), so any
// spelling of one folder is one lock and nothing of the folder's sharing is denied.
#include <chrono>
#include <string>

#include "store/file_system.h"
#include "store/win32_calls_win.h"

namespace tetomu {

class Win32FileSystem final : public FileSystem {
  public:
    explicit Win32FileSystem(const Win32Calls& calls = {}) : calls_(calls) {}
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;
    ~Win32FileSystem() override;

    // How long a call that someone else's open handle blocks keeps trying.
    std::chrono::milliseconds patience{1000};

    std::string read(const std::filesystem::path& path) override;
    std::string readOrCreate(const std::filesystem::path& path) override;
    void write(const std::filesystem::path& path, std::string_view bytes) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) override;
    // Not yet: see RELIABILITY.md for what the system gives and what this needs to do.
    void flushFolder(const std::filesystem::path& folder) override;
    EntryKind kind(const std::filesystem::path& path) override;
    FileLook look(const std::filesystem::path& path) override;
    void list(const std::filesystem::path& folder,
              const std::function<void(const FolderEntry&)>& visit) override;
    FolderLock lockFolder(const std::filesystem::path& folder) override;
    bool isLockedFolder(const std::filesystem::path& folder) override;
    bool namesIgnoreCase() const override { return true; }
    StoreError refusal(StoreFault fault, const std::filesystem::path& path) const override;

  private:
    template <class Call>
    unsigned long withPatience(Call&& call) const;
    void replace(const std::wstring& target, const std::wstring& saving,
                 const std::filesystem::path& path);
    void removeQuietly(const std::wstring& name) const;

    Win32Calls calls_;
    void* lock_ = nullptr;
    std::wstring lockedIdentity_;
};

// What a directory entry with these attributes and reparse tag is to the store: only a folder
// or a reparse point that names another place is not a file.
EntryKind entryKindOf(unsigned long attributes, unsigned long reparseTag);

// The path in the form that reaches past MAX_PATH ("\\?\C:\…", "\\?\UNC\server\share\…").
std::wstring longPathOf(const std::filesystem::path& path);

// The system's own text for an error code, as UTF-8, without the trailing line break.
std::string systemMessage(unsigned long code);

}  // namespace tetomu
