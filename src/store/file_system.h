#pragma once
// Every file call the store makes goes through here: one implementation per platform, and a
// fake in the tests that can refuse any call. Failures are StoreError.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tetomu {

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The whole content of an existing file.
    virtual std::string read(const std::filesystem::path& path) = 0;
    // The whole content, after creating the file empty when there was none. The folder must exist.
    virtual std::string readOrCreate(const std::filesystem::path& path) = 0;
    // Replaces the file's content as one step: whatever happens, the file holds either the old
    // bytes or the new ones. The temporary sibling it uses is named after the target.
    virtual void write(const std::filesystem::path& path, std::string_view bytes) = 0;
    // Refuses a missing source and an existing target.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Refuses a missing file.
    virtual void remove(const std::filesystem::path& path) = 0;
    virtual bool exists(const std::filesystem::path& path) = 0;
    // The names of the entries in a folder, in no order: one pass, where asking exists() for each
    // of 32767 memos would cost a system call each.
    virtual std::vector<std::filesystem::path::string_type> names(
        const std::filesystem::path& folder);
};

// The sibling that write() fills before it replaces the target; no memo folder name looks like it.
inline std::filesystem::path savingPathFor(const std::filesystem::path& target) {
    std::filesystem::path saving = target;
    saving += ".saving";
    return saving;
}

}  // namespace tetomu
