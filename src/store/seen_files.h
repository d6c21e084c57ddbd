#pragma once
// What this program last saw of each file it read or wrote: one look at the file's entry (size,
// modification time, identity) and a hash of its bytes. Other programs share the folder (an
// editor, git, a backup restored, a sync client): before a file is written over, one look tells
// whether it is still the one last seen. Only when the look differs are its bytes read and
// compared, so a sync client that only touched a file is no change. What to do about a change is
// the caller's.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

#include "store/file_system.h"

namespace tetomu {

class SeenFiles {
  public:
    explicit SeenFiles(FileSystem& files) : files_(files) {}

    // The file holds these bytes now: just read, or just written by this program. keptByCaller:
    // the caller keeps them and compares them in changedElsewhere(), so they are not hashed here
    // (a keystroke writes the whole index; hashing it each time would cost more than its look).
    // look: the file's look as it was read, when the read gave it.
    void saw(const std::filesystem::path& path, std::string_view bytes, bool keptByCaller = false,
             const std::optional<FileLook>& look = std::nullopt);
    // This program moved the file from one name to the other.
    void moved(const std::filesystem::path& from, const std::filesystem::path& to);
    // This program removed the file.
    void forget(const std::filesystem::path& path);
    // True when another program wrote, replaced or removed the file since this one last saw it.
    // A file never seen here is nobody's change.
    // sameAsKept: whether the file's bytes now are the ones last seen, where the caller kept them.
    bool changedElsewhere(const std::filesystem::path& path,
                          const std::function<bool(std::string_view)>& sameAsKept = {});

  private:
    struct Seen {
        FileLook look;
        std::optional<std::uint64_t> hash;
    };
    FileSystem& files_;
    // By the path's own string: a path is always made the same way here, and strings compare
    // faster than paths.
    std::map<std::filesystem::path::string_type, Seen> seen_;
};

}  // namespace tetomu
