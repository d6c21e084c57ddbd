#pragma once
// The file calls on Windows, held to what Microsoft documents rather than to what Wine happens
// to do (RELIABILITY.md lists each call, its documented failures and what is done about them).
// Its rooms: reading_win.cpp (what is at a name, a memo's bytes, the folder's entries),
// replace_win.cpp (the save and each way its replace can fail), folder_lock_win.cpp (the lock
// and the folder's identity), patience_win.h (how long a call waits) and file_system_win.cpp
// (the rest, and which refusals pass).
//
// A save goes to a sibling file created new, flushed to the disk and put in the memo's place
// with ReplaceFile, which keeps the old file's attributes and security. ReplaceFile is given a
// backup name of this program's own, so that no documented failure leaves the old text under a
// name nobody knows: what it leaves is finished here, or else put back by the next start. A file
// the person made read-only is refused.
//
// Only what names another place is refused as "not a file": links, junctions and mount points.
// Every other reparse point (a synced folder's cloud placeholder, a deduplicated or compressed
// file), and a file whose content is not on the disk, is opened as the file it is, and the
// system fetches it when it is read.
//
// A virus scanner, the indexer or a sync client may hold a fresh file for a moment, and a
// network share may go for one: every call that can meet that (open, create, replace, rename,
// delete, the folder flush, the look at the folder) is tried again for up to `patience`, calling
// whileWaiting between the tries. A refusal that lasts (a folder at the name, a read-only file,
// a folder that refuses new files) stands at once.
//
// The folder lock is a pair of named mutexes after the folder's identity (its volume and file
// ID; on FAT and exFAT its volume and creation time), so any spelling of one folder is one lock
// and nothing of the folder's sharing is denied. One is in this session's namespace, one in the
// machine's, so that a copy in another session is told apart from one in this.
#include <chrono>
#include <initializer_list>
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
    std::chrono::milliseconds patience{2000};

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
    bool namesIgnoreCase() const override { return true; }
    StoreError refusal(StoreFault fault, const std::filesystem::path& path) const override;

  private:
    template <class Call>
    unsigned long withPatience(Call&& call, std::initializer_list<const wchar_t*> names) const;
    bool passes(unsigned long code, std::initializer_list<const wchar_t*> names) const;
    void replace(const std::wstring& target, const std::wstring& saving,
                 const std::filesystem::path& path);
    void removeQuietly(const std::wstring& name) const;
    std::wstring folderIdentity(const std::filesystem::path& folder) const;

    Win32Calls calls_;
    void* lock_ = nullptr;
    void* sessionLock_ = nullptr;
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
