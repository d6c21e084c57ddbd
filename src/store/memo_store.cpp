#include "store/memo_store.h"

#include <charconv>

#include "store/file_system.h"
#include "store/text_codec.h"

namespace tetomu {
namespace {

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

std::string MemoStore::encodeIndex(std::span<const std::u16string> titles) const {
    std::u16string text;
    std::size_t size = 0;
    for (const auto& t : titles)
        size += t.size() + 2;
    text.reserve(size);
    for (const auto& t : titles) {
        text += t;
        text += u"\r\n";
    }
    return codec_.encode(text);
}

std::vector<std::u16string> MemoStore::decodeIndex(std::string_view bytes) const {
    const std::u16string text = codec_.decode(bytes);
    std::vector<std::u16string> titles;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        titles.emplace_back(text, start, end - start);
        start = end + 2;
    }
    return titles;
}

std::vector<std::u16string> MemoStore::readIndex() {
    return decodeIndex(files_.readOrCreate(IndexPath()));
}

void MemoStore::writeIndex(std::span<const std::u16string> titles) {
    files_.write(IndexPath(), encodeIndex(titles));
}

std::u16string MemoStore::readMemo(int n) {
    return readFile(MemoPath(n));
}

std::u16string MemoStore::readFile(const std::filesystem::path& path) {
    return codec_.decode(files_.read(path));
}

void MemoStore::writeMemo(int n, std::u16string_view text) {
    files_.write(MemoPath(n), codec_.encode(text));
}

void MemoStore::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    files_.rename(from, to);
}

void MemoStore::remove(const std::filesystem::path& path) {
    files_.remove(path);
}

bool MemoStore::exists(const std::filesystem::path& path) {
    return files_.exists(path);
}

}  // namespace tetomu
