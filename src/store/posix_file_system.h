#pragma once
// The file calls on POSIX systems. Writes go to a sibling file that is flushed to the disk and
// then renamed over the target, so neither a crash nor a power cut leaves half a memo.
#include <functional>

#include "store/file_system.h"

namespace tetomu {

class PosixFileSystem final : public FileSystem {
  public:
    std::string read(const std::filesystem::path& path) override;
    std::string readOrCreate(const std::filesystem::path& path) override;
    void write(const std::filesystem::path& path, std::string_view bytes) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) override;
    bool exists(const std::filesystem::path& path) override;
    std::vector<std::string> names(const std::filesystem::path& folder) override;

    // The steps of write(), in order. The reliability tests stop the program at each of them to
    // show that none leaves a memo truncated; nothing else sets the hook.
    enum class WriteStep { Opened, Written, Synced, Renamed };
    std::function<void(WriteStep)> afterWriteStep;

  private:
    void step(WriteStep reached);
};

}  // namespace tetomu
