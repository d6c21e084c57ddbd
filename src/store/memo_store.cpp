#include "store/memo_store.h"

#include <algorithm>
#include <charconv>

#include "store/file_system.h"
#include "store/text_codec.h"

namespace tetomu {
namespace {

// The largest encoding buffer kept between memo writes: memos up to about 4 MB of text.
constexpr std::size_t kKeptMemoBuffer = 8 << 20;

template <class Char>
std::basic_string<Char> widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

}  // namespace

MemoStore::MemoStore(FileSystem& files, const TextCodec& codec, const NativeString& basePath)
    : files_(files), codec_(codec), folder_(basePath) {
    using Char = NativeString::value_type;
    folder_ += std::filesystem::path::preferred_separator;
    folder_ += widen<Char>("memo");
    folder_ += std::filesystem::path::preferred_separator;
}

std::filesystem::path MemoStore::IndexPath() const {
    return folder_ + widen<NativeString::value_type>("group.gl");
}

std::filesystem::path MemoStore::MemoPath(int n) const {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return folder_ + widen<NativeString::value_type>(std::string_view(digits, end - digits)) +
           widen<NativeString::value_type>(".txt");
}

std::filesystem::path MemoStore::TempPath() const {
    return folder_ + widen<NativeString::value_type>("temp.txt");
}

std::string MemoStore::encodeIndex(std::span<const std::u16string> titles,
                                   std::vector<LineBytes>* unsure) const {
    std::string bytes;
    encodeIndexInto(titles, bytes, unsure);
    return bytes;
}

void MemoStore::encodeIndexInto(std::span<const std::u16string> titles, std::string& bytes,
                                std::vector<LineBytes>* unsure) const {
    std::size_t room = 0;
    for (const auto& t : titles)
        room += t.size() * 2 + 2;
    bytes.clear();
    bytes.reserve(room);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const std::size_t begin = bytes.size();
        if (!codec_.encodeLine(titles[i], bytes) && unsure)
            unsure->push_back({int(i), begin, bytes.size()});
    }
}

std::vector<std::u16string> MemoStore::decodeIndex(std::string_view bytes) const {
    // Line by line straight from the bytes: CR and LF are never half of a two-byte character,
    // so the lines of the bytes are the lines of the text. Each title gets just its own length.
    std::vector<std::u16string> titles;
    titles.reserve(std::size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    std::u16string line;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        line.clear();
        codec_.decodeAppend(bytes.substr(start, end - start), line);
        titles.emplace_back(line);
        start = end + 2;
    }
    return titles;
}

std::vector<std::u16string> MemoStore::readIndex() {
    return decodeIndex(files_.readOrCreate(IndexPath()));
}

void MemoStore::writeIndex(std::span<const std::u16string> titles) {
    encodeIndexInto(titles, indexBytes_, nullptr);
    files_.write(IndexPath(), indexBytes_);
}

IndexReadBack MemoStore::writeIndexReadBack(std::span<const std::u16string> titles) {
    std::vector<LineBytes> unsure;
    encodeIndexInto(titles, indexBytes_, &unsure);
    const std::string_view bytes = indexBytes_;
    files_.write(IndexPath(), bytes);

    // One copy of the program runs, so the file now holds exactly these bytes: what a read
    // would give is decided here. Most lines are known to read back as written; the others are
    // decoded one by one, as a read would decode them.
    IndexReadBack back;
    std::u16string line;
    for (const LineBytes& unsureLine : unsure) {
        line.clear();
        codec_.decodeAppend(bytes.substr(unsureLine.begin, unsureLine.end - unsureLine.begin),
                            line);
        line.resize(line.size() - 2);  // the CR LF that ends every line
        if (line.find(u"\r\n") != std::u16string::npos) {
            // This title reads back as more than one line: the rows no longer match one for one.
            back.changedRows.clear();
            back.allRows = decodeIndex(bytes);
            return back;
        }
        if (line != titles[std::size_t(unsureLine.row)])
            back.changedRows.emplace_back(unsureLine.row, line);
    }
    return back;
}

std::u16string MemoStore::readMemo(int n) {
    return readFile(MemoPath(n));
}

std::u16string MemoStore::readFile(const std::filesystem::path& path) {
    return codec_.decode(files_.read(path));
}

void MemoStore::writeMemo(int n, std::u16string_view text) {
    files_.write(MemoPath(n), codec_.encodeInto(text, memoBytes_));
    // A buffer as big as an unusually long memo is not kept for the rest of the session.
    if (memoBytes_.size() > kKeptMemoBuffer) std::string().swap(memoBytes_);
}

void MemoStore::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    files_.rename(from, to);
}

void MemoStore::remove(const std::filesystem::path& path) {
    files_.remove(path);
}

MemoStore::FolderContents MemoStore::scanFolder() {
    FolderContents contents;
    const NativeString temp = TempPath().filename().native();
    for (const auto& name : files_.names(folder_)) {
        if (name == temp) {
            contents.temp = true;
            continue;
        }
        // Only the names MemoPath gives: plain decimal, no leading zero, ".txt".
        const NativeString& s = name;
        const std::size_t digits = s.size() >= 4 ? s.size() - 4 : 0;
        if (digits == 0 || digits > 5 ||
            s.compare(digits, 4, widen<NativeString::value_type>(".txt")) != 0 ||
            (s[0] == '0' && digits > 1))
            continue;
        int n = 0;
        bool decimal = true;
        for (std::size_t i = 0; i < digits && decimal; ++i) {
            decimal = s[i] >= '0' && s[i] <= '9';
            n = n * 10 + (s[i] - '0');
        }
        if (!decimal) continue;
        if (contents.memos.size() <= std::size_t(n)) contents.memos.resize(std::size_t(n) + 1);
        contents.memos[std::size_t(n)] = true;
    }
    return contents;
}

bool MemoStore::exists(const std::filesystem::path& path) {
    return files_.exists(path);
}

}  // namespace tetomu
