#pragma once
// Every file call the store makes goes through here: one implementation per platform
// (file_system_posix.cpp, file_system_win.cpp) and, in the tests, wrappers that refuse or stop at
// any call. A refusal is a StoreError with the system's own number.
//
// Nothing here follows a link or waits on what is not a plain file: a link, a folder, a pipe or
// a device at a memo or index name is refused, never read, written, replaced or waited on.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/store_error.h"

namespace tetomu {

using NativeString = std::filesystem::path::string_type;
using NativeView = std::basic_string_view<NativeString::value_type>;

enum class EntryKind { Missing, File, Other };

struct FolderEntry {
    NativeView name;
    EntryKind kind;
};

// What one look at a file's entry gives, without opening or following it: enough to tell that
// the file is no longer the one last seen (another program wrote it, put another in its place or
// took it away). Equal looks are taken as the same bytes.
struct FileLook {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;  // at the system's finest
    std::uint64_t volume = 0;
    std::uint64_t id = 0;  // inode, or the Windows file index
    bool operator==(const FileLook&) const = default;
};

enum class FolderLock {
    Held,                  // this copy holds it until it ends
    HeldElsewhere,         // another copy runs on this folder
    HeldInAnotherSession,  // another person's copy, or one in another session of this machine
    Unavailable,           // the folder cannot be locked (missing, or a file system without locks)
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The whole content of an existing file; and, when asked, its look as it was read (taken
    // from the file opened, so it is the look of these bytes).
    virtual std::string read(const std::filesystem::path& path, FileLook* look = nullptr) = 0;
    // The same, after creating the file empty when there was none.
    virtual std::string readOrCreate(const std::filesystem::path& path) = 0;
    // Replaces the content as one step: whatever happens, the file holds the old bytes or the
    // new ones. The file keeps its mode (and, where the process may, its owner). A file the
    // person made read-only is refused, as an open for writing would be.
    virtual void write(const std::filesystem::path& path, std::string_view bytes) = 0;
    // Refuses a missing source and an existing target.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Refuses a missing file.
    virtual void remove(const std::filesystem::path& path) = 0;
    // Makes the folder's names as they are now (files made, renamed or removed in it) outlast a
    // power cut. write() flushes a file's bytes but not its name; a step whose order matters
    // across several names (the journal's) calls this. Where the system keeps names safe by
    // itself, or cannot flush a folder, it does nothing.
    virtual void flushFolder(const std::filesystem::path& folder) = 0;
    // What is at the path, without following a link.
    virtual EntryKind kind(const std::filesystem::path& path) = 0;
    // One look at what is at the path, without following a link: one stat, or its Windows
    // equivalent on a handle opened for attributes alone.
    virtual FileLook look(const std::filesystem::path& path) = 0;
    // Each entry of a folder, in no order, from one pass over it; nothing of it is kept.
    virtual void list(const std::filesystem::path& folder,
                      const std::function<void(const FolderEntry&)>& visit) = 0;
    // One copy of the program per folder: a lock that belongs to the folder itself, held until
    // this object goes, and let go by the system however the program ends.
    virtual FolderLock lockFolder(const std::filesystem::path& folder) = 0;
    // False when the folder at this path is no longer the one locked: it was moved away and
    // another (a restored copy, say) put in its place. True while no lock is held. A folder that
    // cannot be looked at (moved away, a network share or a stick gone) is no answer: that is
    // thrown as the refusal it is (StoreFault::FolderUnreachable).
    virtual bool isLockedFolder(const std::filesystem::path& folder) = 0;
    // True where the system takes "2.TXT" for "2.txt".
    virtual bool namesIgnoreCase() const = 0;
    // The refusal this system gives for a fault the store finds before making the call.
    virtual StoreError refusal(StoreFault fault, const std::filesystem::path& path) const = 0;

    // Called between the tries of a call that waits on someone else's handle, where the system
    // has such waits (Windows), so that a window can repaint meanwhile. It must not reach the
    // store again. Unset, nothing is called.
    std::function<void()> whileWaiting;
};

// The sibling that write() fills before it replaces the target. Only this program makes such
// names, so a left-over one is its own.
inline std::filesystem::path savingPathFor(const std::filesystem::path& target) {
    std::filesystem::path saving = target;
    saving += ".saving";
    return saving;
}

// The name a replaced file is kept under until its successor is in place, where the system's
// replace works that way (Windows). Only this program makes such names: one left over goes, or,
// when the file it belongs to is missing, becomes that file again.
inline std::filesystem::path replacedPathFor(const std::filesystem::path& target) {
    std::filesystem::path replaced = target;
    replaced += ".replaced";
    return replaced;
}

}  // namespace tetomu
