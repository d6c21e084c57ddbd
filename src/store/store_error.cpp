#include "store/store_error.h"

#include <string_view>

namespace tetomu {
namespace {

std::u16string_view faultText(StoreFault fault) {
    switch (fault) {
        case StoreFault::NotFound:
            return u"ファイルかフォルダが見つかりません。";
        case StoreFault::AlreadyExists:
            return u"同じ名前のファイルがもうあります。";
        case StoreFault::AccessDenied:
            return u"ファイルにアクセスできません。";
        case StoreFault::DiskFull:
            return u"ディスクがいっぱいです。";
        case StoreFault::IoError:
            return u"ディスクの読み書きに失敗しました。";
        case StoreFault::NotAFile:
            return u"ふつうのファイルではありません（リンク、フォルダ、パイプなど）。";
        case StoreFault::FolderReplaced:
            return u"memo フォルダが起動したあとで入れ替わりました。開き直してください。";
        case StoreFault::FolderUnreachable:
            return u"memo フォルダを確かめられません（動かされたか、ネットワークや USB メモリが"
                   u"外れたのかもしれません）。";
        case StoreFault::Other:
            break;
    }
    return u"ファイル操作に失敗しました。";
}

}  // namespace

std::u16string_view StoreError::reasonText() const {
    return faultText(fault_);
}

namespace {

std::u16string fromAscii(std::string_view s) {
    return {s.begin(), s.end()};
}

// UTF-8 (system texts and paths on Linux) to UTF-16; bad sequences become U+FFFD.
std::u16string fromUtf8(std::string_view s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b >> 5) == 6 || (b >> 4) == 14 || (b >> 3) == 30) {
            len = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
            if (i + len <= s.size()) {
                cp = b & (0x7F >> len);
                for (std::size_t k = 1; k < len; ++k) {
                    const auto c = static_cast<unsigned char>(s[i + k]);
                    if ((c >> 6) != 2) {
                        cp = 0xFFFD;
                        len = k;
                        break;
                    }
                    cp = cp << 6 | (c & 0x3F);
                }
            } else {
                len = 1;
            }
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        if (cp >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += len;
    }
    return out;
}

// Paths are UTF-16 on Windows and bytes (UTF-8 as a rule) elsewhere. A template, so that only
// the branch for this platform's path type is compiled.
template <class Native>
std::u16string nativeText(const Native& native) {
    if constexpr (sizeof(typename Native::value_type) == sizeof(char16_t)) {
        return {native.begin(), native.end()};
    } else {
        return fromUtf8(native);
    }
}

// For what(): a path that does not convert must not turn one error into another.
std::string pathForMessage(const std::filesystem::path& path) {
    try {
        return path.string();
    } catch (...) {
        return "?";
    }
}

}  // namespace

std::u16string pathText(const std::filesystem::path& path) {
    return nativeText(path.native());
}

StoreError::StoreError(StoreFault fault, int code, std::string systemText,
                       std::filesystem::path path)
    : std::runtime_error(systemText + ": " + pathForMessage(path)),
      fault_(fault),
      code_(code),
      systemText_(std::move(systemText)),
      path_(std::move(path)) {}

std::u16string StoreError::boxText() const {
    std::u16string text = u"実行時エラー '" + fromAscii(std::to_string(code_)) + u"':\r\n";
    text += faultText(fault_);
    if (!systemText_.empty()) text += u"\r\n(" + fromUtf8(systemText_) + u")";
    text += u"\r\n\r\n" + pathText(path_);
    return text;
}

}  // namespace tetomu
