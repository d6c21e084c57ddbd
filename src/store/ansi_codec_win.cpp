#include "store/ansi_codec_win.h"

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

void AnsiCodec::decodeAppend(std::string_view bytes, std::u16string& out) const {
    if (codePage_ == 932) return cp932_.decodeAppend(bytes, out);
    if (maxCharSize_ > 2) {
        // UTF-8 as the system code page: the system's conversion, undecodable bytes as U+FFFD.
        const int size =
            MultiByteToWideChar(codePage_, 0, bytes.data(), int(bytes.size()), nullptr, 0);
        std::wstring wide(std::size_t(size > 0 ? size : 0), L'\0');
        if (size > 0) {
            MultiByteToWideChar(codePage_, 0, bytes.data(), int(bytes.size()), wide.data(), size);
        }
        out.append(wide.begin(), wide.end());
        return;
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
}

void AnsiCodec::encodeAppend(std::u16string_view text, std::string& out,
                             std::u16string* replaced) const {
    if (codePage_ == 932) return cp932_.encodeAppend(text, out, replaced);
    std::size_t i = 0;
    while (i < text.size()) {
        if (isKeptByte(text[i])) {
            out.push_back(char(text[i] - 0xDC00));
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !isKeptByte(text[end]))
            ++end;
        encodeRun(text.substr(i, end - i), out, replaced);
        i = end;
    }
}

void AnsiCodec::encodeRun(std::u16string_view run, std::string& out,
                          std::u16string* replaced) const {
    const auto* wide = reinterpret_cast<const wchar_t*>(run.data());
    const int count = int(run.size());
    // Characters the code page lacks become '?', never a look-alike the person did not choose.
    const bool utf8 = maxCharSize_ > 2;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const char* fallback = utf8 ? nullptr : "?";
    const int size =
        WideCharToMultiByte(codePage_, flags, wide, count, nullptr, 0, fallback, usedDefaultOut);
    if (size <= 0) return;
    const std::size_t at = out.size();
    out.resize(at + std::size_t(size));
    WideCharToMultiByte(codePage_, flags, wide, count, out.data() + at, size, fallback,
                        usedDefaultOut);
    if (!usedDefault || !replaced) return;
    // Which characters were replaced: asked one at a time, only when some were.
    for (std::size_t i = 0; i < run.size(); ++i) {
        BOOL one = FALSE;
        const int units = i + 1 < run.size() && run[i] >= 0xD800 && run[i] <= 0xDBFF ? 2 : 1;
        char buffer[8];
        WideCharToMultiByte(codePage_, flags, wide + i, units, buffer, sizeof buffer, fallback,
                            &one);
        if (one) replaced->append(run.substr(i, std::size_t(units)));
        i += std::size_t(units - 1);
    }
}

std::size_t AnsiCodec::encodedLength(std::u16string_view decoded) const {
    if (codePage_ == 932) return cp932_.encodedLength(decoded);
    std::string bytes;
    encodeAppend(decoded, bytes);
    return bytes.size();
}

}  // namespace tetomu
