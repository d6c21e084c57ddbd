#include "store/memo_store.h"

#include <charconv>

#include "store/text_codec.h"

namespace tetomu {
namespace {

// Memo texts up to this size keep their bytes between saves; a larger one is encoded whole each
// time rather than held twice.
constexpr std::size_t kKeptMemoBytes = 64u << 20;

NativeString native(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

char16_t folded(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

}  // namespace

MemoStore::MemoStore(FileSystem& files, const TextCodec& codec, const NativeString& programFolder)
    : files_(files), codec_(codec), seen_(files) {
    NativeString folder = programFolder;
    folder += std::filesystem::path::preferred_separator;
    folder += native("memo");
    folder_ = folder;
}

std::filesystem::path MemoStore::indexPath() const {
    return folder_ / native("group.gl");
}

std::filesystem::path MemoStore::memoPath(int n) const {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return folder_ / (native(std::string_view(digits, std::size_t(end - digits))) + native(".txt"));
}

std::filesystem::path MemoStore::tempPath() const {
    return folder_ / native("temp.txt");
}

std::filesystem::path MemoStore::journalPath() const {
    return folder_ / native("group.gl.journal");
}

std::string MemoStore::readIndex() {
    std::string bytes = files_.readOrCreate(indexPath());
    seen_.saw(indexPath(), bytes, true);
    return bytes;
}

void MemoStore::writeIndex(std::string_view bytes) {
    files_.write(indexPath(), bytes);
    seen_.saw(indexPath(), bytes, true);
}

void MemoStore::writeJournal(std::string_view bytes) {
    files_.write(journalPath(), bytes);
}

void MemoStore::removeJournal() {
    files_.remove(journalPath());
}

void MemoStore::mustBeLockedFolder() const {
    if (!files_.isLockedFolder(folder_)) refuse(StoreFault::FolderReplaced, folder_);
}

std::u16string MemoStore::readMemo(int n) {
    const std::filesystem::path path = memoPath(n);
    std::string bytes;
    FileLook look;
    try {
        bytes = files_.read(path, &look);
    } catch (...) {
        // Whatever was held of memo n is no longer what its name holds.
        memo_.forget();
        seen_.forget(path);
        throw;
    }
    // The bytes of the memo opened are kept below, and need no hash.
    seen_.saw(path, bytes, bytes.size() <= kKeptMemoBytes, look);
    std::u16string text = codec_.decode(bytes);
    if (bytes.size() <= kKeptMemoBytes)
        memo_.load(n, std::move(bytes));
    else
        memo_.forget();
    return text;
}

void MemoStore::writeMemo(int n, std::u16string_view text, const std::optional<TextSplice>& edit,
                          bool asRead) {
    if (memo_.number() == n) {
        if (asRead) return;
        if (edit) {
            if (!memo_.splice(codec_, text, *edit)) return;
        } else if (codec_.decode(memo_.bytes()) == text) {
            // The text is the one these bytes hold (a memo opened again): nothing to write.
            return;
        } else {
            memo_.load(n, codec_.encode(text));
        }
    } else {
        memo_.load(n, codec_.encode(text));
    }
    const std::filesystem::path path = memoPath(n);
    try {
        files_.write(path, memo_.bytes());
    } catch (...) {
        // The file keeps its old bytes; what they are is no longer known here.
        memo_.forget();
        throw;
    }
    const bool kept = memo_.bytes().size() <= kKeptMemoBytes;
    seen_.saw(path, memo_.bytes(), kept);
    if (!kept) memo_.forget();
}

bool MemoStore::memoChangedElsewhere(int n) {
    if (memo_.number() == n)
        return seen_.changedElsewhere(
            memoPath(n), [this](std::string_view bytes) { return bytes == memo_.bytes(); });
    return seen_.changedElsewhere(memoPath(n));
}

void MemoStore::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    memo_.forget();
    files_.rename(from, to);
    seen_.moved(from, to);
}

void MemoStore::remove(const std::filesystem::path& path) {
    memo_.forget();
    files_.remove(path);
    seen_.forget(path);
}

bool MemoStore::isName(NativeView name, std::string_view ascii) const {
    if (name.size() != ascii.size()) return false;
    const bool ignoreCase = files_.namesIgnoreCase();
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t a = char16_t(name[i]);
        char16_t b = char16_t(static_cast<unsigned char>(ascii[i]));
        if (ignoreCase) {
            a = folded(a);
            b = folded(b);
        }
        if (a != b) return false;
    }
    return true;
}

std::optional<int> MemoStore::memoNumber(NativeView name) const {
    if (name.size() < 5 || name.size() > 9 || name[0] < '0' || name[0] > '9') return std::nullopt;
    const std::size_t digits = name.size() - 4;
    if (!isName(name.substr(digits), ".txt")) return std::nullopt;
    if (name[0] == '0' && digits > 1) return std::nullopt;
    int n = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        n = n * 10 + int(name[i] - '0');
    }
    return n;
}

}  // namespace tetomu
