#pragma once
// The memo folder: where its files are, and reading and writing them whole. The index holds one
// title per line, CR LF after each; memo n is the file "n.txt". Both are in the code page of the
// codec. The store holds nothing in memory: the list box is the only copy of the titles.
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "store/base_path.h"

namespace tetomu {

class FileSystem;
class TextCodec;

// What reading the index gives right after it was written: the titles written, except for the
// rows listed (a title with a kept byte or a character the code page cannot hold may read back
// otherwise). When the lines would not match the titles one for one, allRows holds the whole
// read instead.
struct IndexReadBack {
    std::vector<std::pair<int, std::u16string>> changedRows;
    std::optional<std::vector<std::u16string>> allRows;
};

class MemoStore {
  public:
    MemoStore(FileSystem& files, const TextCodec& codec, const NativeString& basePath);

    std::filesystem::path IndexPath() const;
    std::filesystem::path MemoPath(int n) const;
    std::filesystem::path TempPath() const;

    // The titles, one per line; an index that is missing is created empty. Lines end only at
    // CR LF: a lone CR or LF is part of its line.
    std::vector<std::u16string> readIndex();
    void writeIndex(std::span<const std::u16string> titles);
    // writeIndex, and what readIndex would then give, without reading the file again.
    IndexReadBack writeIndexReadBack(std::span<const std::u16string> titles);

    std::u16string readMemo(int n);
    // Any file of the folder read as text, such as temp.txt.
    std::u16string readFile(const std::filesystem::path& path);
    void writeMemo(int n, std::u16string_view text);

    void rename(const std::filesystem::path& from, const std::filesystem::path& to);
    void remove(const std::filesystem::path& path);
    bool exists(const std::filesystem::path& path);

    // Which memo numbers have a file, and whether temp.txt is there, from one look at the folder.
    struct FolderContents {
        std::vector<bool> memos;
        bool temp = false;
        bool hasMemo(int n) const {
            return n >= 0 && std::size_t(n) < memos.size() && memos[std::size_t(n)];
        }
    };
    FolderContents scanFolder();

    // Where a line of the index is in its bytes, CR LF included.
    struct LineBytes {
        int row;
        std::size_t begin;
        std::size_t end;
    };
    // The index as its bytes would be written, and those bytes read back as titles. unsure, when
    // given, gets the lines that the codec cannot promise to read back as written.
    std::string encodeIndex(std::span<const std::u16string> titles,
                            std::vector<LineBytes>* unsure = nullptr) const;
    std::vector<std::u16string> decodeIndex(std::string_view bytes) const;

  private:
    void encodeIndexInto(std::span<const std::u16string> titles, std::string& bytes,
                         std::vector<LineBytes>* unsure) const;

    FileSystem& files_;
    const TextCodec& codec_;
    NativeString folder_;  // basePath + separator + "memo" + separator
    // The bytes of the last index written. Only a buffer, kept so that a list of thousands of
    // titles does not map fresh pages for them on every keystroke; nothing reads it later.
    std::string indexBytes_;
    // The same for memo texts, so that typing in a long memo encodes it in place.
    std::string memoBytes_;
};

}  // namespace tetomu
