#pragma once
// The memo folder: where its files are, and reading and writing them whole. The index holds one
// title per line (store/index_file.h); memo n is the file "n.txt"; both are in the codec's code
// page. The store keeps the bytes of the memo last read or written, so that a save writes back
// every byte the person did not touch and writes nothing when nothing changed, and it remembers
// what it last saw of every file it read or wrote, so that one another program changed since is
// known before it is written over (store/seen_files.h).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"
#include "store/memo_image.h"
#include "store/program_folder.h"
#include "store/seen_files.h"

namespace tetomu {

class TextCodec;

class MemoStore {
  public:
    MemoStore(FileSystem& files, const TextCodec& codec, const NativeString& programFolder);

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path indexPath() const;
    std::filesystem::path memoPath(int n) const;
    std::filesystem::path tempPath() const;
    std::filesystem::path journalPath() const;

    FileSystem& files() { return files_; }
    const TextCodec& codec() const { return codec_; }

    // The index's bytes; an index that is missing is created empty.
    std::string readIndex();
    void writeIndex(std::string_view bytes);

    std::u16string readMemo(int n);
    // Saves memo n. When the store holds memo n's bytes and the edit since is given, only that
    // span's bytes are put in; otherwise the whole text is encoded (keeping the bytes held when
    // the text is theirs). Nothing is written when the bytes come out as the file holds them,
    // nor when asRead says the text is the one readMemo(n) gave.
    void writeMemo(int n, std::u16string_view text, const std::optional<TextSplice>& edit,
                   bool asRead = false);

    // Another program wrote, replaced or removed the file since this store last read or wrote it.
    // The index's bytes as last read or written are the caller's to keep (MemoBook's list):
    // sameAsSeen tells whether the file's bytes now are those.
    bool indexChangedElsewhere(const std::function<bool(std::string_view)>& sameAsSeen) {
        return seen_.changedElsewhere(indexPath(), sameAsSeen);
    }
    bool memoChangedElsewhere(int n);

    void writeJournal(std::string_view bytes);
    void removeJournal();

    void rename(const std::filesystem::path& from, const std::filesystem::path& to);
    // The folder's names as they are now outlast a power cut (FileSystem::flushFolder).
    void flushFolder() { files_.flushFolder(folder_); }
    void remove(const std::filesystem::path& path);
    EntryKind kind(const std::filesystem::path& path) { return files_.kind(path); }
    // Refuses when the folder at its path is no longer the one this copy locked: one put in its
    // place while the program ran (a backup restored) is never written over.
    void mustBeLockedFolder() const;
    [[noreturn]] void refuse(StoreFault fault, const std::filesystem::path& path) const {
        throw files_.refusal(fault, path);
    }

    // The memo number a name stands for (plain decimal, no leading zero, ".txt"), matched as the
    // system matches names.
    std::optional<int> memoNumber(NativeView name) const;
    // True when the name is this one, matched as the system matches names.
    bool isName(NativeView name, std::string_view ascii) const;

  private:
    FileSystem& files_;
    const TextCodec& codec_;
    std::filesystem::path folder_;  // programFolder + separator + "memo"
    MemoImage memo_;
    SeenFiles seen_;
};

}  // namespace tetomu
