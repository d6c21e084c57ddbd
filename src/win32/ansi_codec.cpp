#include "win32/ansi_codec.h"

#include <windows.h>

namespace tetomu {
namespace {

// One character's bytes to UTF-16, or nothing when the code page does not define them.
std::wstring decodeStrictly(unsigned codePage, const char* bytes, int size) {
    wchar_t out[8];
    const int got = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, out, 8);
    return got > 0 ? std::wstring(out, std::size_t(got)) : std::wstring();
}

}  // namespace

AnsiCodec::AnsiCodec() : AnsiCodec(GetACP()) {}

AnsiCodec::AnsiCodec(unsigned codePage) : codePage_(codePage) {
    CPINFO info{};
    if (GetCPInfo(codePage, &info)) maxCharSize_ = info.MaxCharSize;
}

std::u16string AnsiCodec::decode(std::string_view bytes) const {
    if (codePage_ == 932) return cp932_.decode(bytes);
    std::u16string out;
    out.reserve(bytes.size());
    if (maxCharSize_ > 2) {
        // UTF-8 as the system code page: the system's conversion, undecodable bytes as U+FFFD.
        const int size =
            MultiByteToWideChar(codePage_, 0, bytes.data(), int(bytes.size()), nullptr, 0);
        std::wstring wide(std::size_t(size > 0 ? size : 0), L'\0');
        if (size > 0) {
            MultiByteToWideChar(codePage_, 0, bytes.data(), int(bytes.size()), wide.data(), size);
        }
        return {wide.begin(), wide.end()};
    }
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(char16_t(lead));
            ++i;
            continue;
        }
        std::size_t length = 1;
        if (maxCharSize_ == 2 && IsDBCSLeadByteEx(codePage_, lead) && i + 1 < bytes.size()) {
            length = 2;
        }
        std::wstring wide = decodeStrictly(codePage_, bytes.data() + i, int(length));
        if (wide.empty() && length == 2) {
            // A lead byte with a trail byte that does not belong to it: keep the lead byte alone
            // and look at the trail byte afresh.
            length = 1;
        }
        if (wide.empty()) {
            out.push_back(Cp932Codec::escape(lead));
        } else {
            out.append(wide.begin(), wide.end());
        }
        i += length;
    }
    return out;
}

std::string AnsiCodec::encode(std::u16string_view text) const {
    if (codePage_ == 932) return cp932_.encode(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (Cp932Codec::isEscape(text[i])) {
            out.push_back(char(text[i] - 0xDC00));
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !Cp932Codec::isEscape(text[end]))
            ++end;
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data() + i);
        const int count = int(end - i);
        // Characters the code page lacks become '?', never a look-alike.
        const DWORD flags = maxCharSize_ > 2 ? 0 : WC_NO_BEST_FIT_CHARS;
        const char* fallback = maxCharSize_ > 2 ? nullptr : "?";
        const int size =
            WideCharToMultiByte(codePage_, flags, wide, count, nullptr, 0, fallback, nullptr);
        if (size > 0) {
            const std::size_t at = out.size();
            out.resize(at + std::size_t(size));
            WideCharToMultiByte(codePage_, flags, wide, count, out.data() + at, size, fallback,
                                nullptr);
        }
        i = end;
    }
    return out;
}

}  // namespace tetomu
