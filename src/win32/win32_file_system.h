#pragma once
// The file calls on Windows. Writes go to a sibling file that is flushed to the disk and then
// moved over the target, so neither a crash nor a power cut leaves half a memo. A virus scanner
// or the search indexer may hold a memo open for a moment just after it was written; a replace,
// rename or delete that it blocks is tried again for up to about a second before it counts as
// refused.
#include <chrono>

#include "store/file_system.h"

namespace tetomu {

class Win32FileSystem final : public FileSystem {
  public:
    // How long a blocked replace, rename or delete keeps trying.
    std::chrono::milliseconds patience{1000};

    std::string read(const std::filesystem::path& path) override;
    std::string readOrCreate(const std::filesystem::path& path) override;
    void write(const std::filesystem::path& path, std::string_view bytes) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) override;
    bool exists(const std::filesystem::path& path) override;
};

// The system's own text for an error code, as UTF-8, without the trailing line break.
std::string systemMessage(unsigned long code);

}  // namespace tetomu
