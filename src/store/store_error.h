#pragma once
// A file call that the system refused: what kind of refusal, the system's own number and text,
// and the path it was about. Handlers let it pass; the outermost event entry shows it and ends
// the program.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace tetomu {

enum class StoreFault {
    NotFound,
    AlreadyExists,
    AccessDenied,
    DiskFull,
    IoError,
    NotAFile,           // a link, a folder, a pipe or a device where a memo or the index belongs
    FolderReplaced,     // the memo folder is no longer the one this copy locked
    FolderUnreachable,  // the memo folder cannot be looked at: whether it is the same is unknown
    Other,
};

class StoreError : public std::runtime_error {
  public:
    StoreError(StoreFault fault, int code, std::string systemText, std::filesystem::path path);

    StoreFault fault() const { return fault_; }
    int code() const { return code_; }
    const std::string& systemText() const { return systemText_; }
    const std::filesystem::path& path() const { return path_; }

    // The text of the run-time error box: number, what went wrong in the user's words, the path.
    std::u16string boxText() const;
    // What went wrong, in the user's words.
    std::u16string_view reasonText() const;

  private:
    StoreFault fault_;
    int code_;
    std::string systemText_;
    std::filesystem::path path_;
};

// A path or a file name as the person reads it.
std::u16string pathText(const std::filesystem::path& path);

}  // namespace tetomu
