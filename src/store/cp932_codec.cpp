#include "store/cp932_codec.h"

#include <array>
#include <cstdint>
#include <utility>

namespace tetomu {
namespace {

#include "store/cp932_table.inc"

constexpr int kTrailFirst = 0x40;
constexpr int kTrailLast = 0xFC;
constexpr int kRows = sizeof(kCp932Leads);

constexpr bool isHalfWidthKatakana(unsigned char b) {
    return b >= 0xA1 && b <= 0xDF;
}

// Row of the pair table for a lead byte, or -1.
constexpr int rowOf(unsigned char lead) {
    if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
    if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + (0x9F - 0x81 + 1);
    return -1;
}

// The rank of a byte pair when several encode one character: the system writes the JIS X 0208
// pair first, then NEC row 13 (0x87), then the IBM extensions (0xFA-0xFC), and never the
// NEC-selected copies of the IBM extensions (0xED, 0xEE). Lower is preferred.
constexpr int rank(unsigned char lead) {
    if (lead == 0xED || lead == 0xEE) return 3;
    if (lead >= 0xFA) return 2;
    if (lead == 0x87) return 1;
    return 0;
}

// One entry per UTF-16 code unit: the pair (lead << 8 | trail), a single byte, or 0 for a unit
// that needs a closer look (see encodeSpecial), CR and NUL among them.
struct EncodeTable {
    std::array<std::uint16_t, 0x10000> bytes{};
    EncodeTable() {
        for (int c = 1; c < 0x80; ++c)
            bytes[c] = std::uint16_t(c);
        bytes[u'\r'] = 0;
        for (int b = 0xA1; b <= 0xDF; ++b)
            bytes[0xFF61 + (b - 0xA1)] = std::uint16_t(b);
        for (int row = 0; row < kRows; ++row) {
            const unsigned char lead = kCp932Leads[row];
            for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                const char16_t c = kCp932Pairs[row][trail - kTrailFirst];
                if (c == 0) continue;
                std::uint16_t& slot = bytes[c];
                if (slot == 0 || (slot > 0xFF && rank(lead) < rank(std::uint8_t(slot >> 8))))
                    slot = std::uint16_t(lead << 8 | trail);
            }
        }
    }
};

const EncodeTable& encodeTable() {
    static const EncodeTable table;
    return table;
}

}  // namespace

std::u16string Cp932Codec::decode(std::string_view bytes) const {
    std::u16string text;
    decodeAppend(bytes, text);
    return text;
}

void Cp932Codec::decodeAppend(std::string_view bytes, std::u16string& out) const {
    // Never more code units than bytes; written through a pointer and cut to length at the end.
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t* p = out.data() + start;
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            *p++ = char16_t(b);
            continue;
        }
        if (isHalfWidthKatakana(b)) {
            *p++ = char16_t(0xFF61 + (b - 0xA1));
            continue;
        }
        const int row = rowOf(b);
        if (row >= 0 && i + 1 < n) {
            const auto t = static_cast<unsigned char>(bytes[i + 1]);
            if (t >= kTrailFirst && t <= kTrailLast) {
                const char16_t c = kCp932Pairs[row][t - kTrailFirst];
                if (c != 0) {
                    *p++ = c;
                    ++i;
                    continue;
                }
            }
        }
        // Only this one byte is kept aside; the next one is looked at afresh, so encoding the
        // result gives back exactly these bytes.
        *p++ = escape(b);
    }
    out.resize(std::size_t(p - out.data()));
}

namespace {

// True when a kept lead byte followed by this byte would read back as one pair.
bool formsPair(unsigned char keptLead, unsigned char next) {
    const int row = rowOf(keptLead);
    return row >= 0 && next >= kTrailFirst && next <= kTrailLast &&
           kCp932Pairs[row][next - kTrailFirst] != 0;
}

// The pair for c after a kept lead byte. A character with several pairs is written with its
// preferred one, but when that would join the kept byte into a pair, another pair of the same
// character is taken, so that the text reads back unchanged. Rare, so the table is searched.
std::uint16_t pairAfterKeptLead(unsigned char keptLead, char16_t c, std::uint16_t preferred) {
    if (!formsPair(keptLead, std::uint8_t(preferred >> 8))) return preferred;
    for (int row = 0; row < kRows; ++row) {
        if (formsPair(keptLead, kCp932Leads[row])) continue;
        for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            if (kCp932Pairs[row][trail - kTrailFirst] == c)
                return std::uint16_t(kCp932Leads[row] << 8 | trail);
        }
    }
    return preferred;
}

// The units that the table cannot answer alone: NUL and CR (a CR LF inside a line matters to
// the caller), surrogates with the kept bytes among them, and what the code page cannot hold.
// Writes unit i, and the unit after it when a kept lead byte decides its pair; returns the index
// of the next unit to write.
std::size_t encodeSpecial(std::u16string_view text, std::size_t i, char*& p, bool& plain) {
    const auto& table = encodeTable().bytes;
    const std::size_t n = text.size();
    const char16_t c = text[i];
    if (c < 0x80) {
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') plain = false;
        *p++ = char(c);
        return i + 1;
    }
    plain = false;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        // A character beyond the 16-bit range: never in the code page, and its second half must
        // not be taken for a kept byte.
        *p++ = '?';
        return i + 2;
    }
    if (!Cp932Codec::isEscape(c)) {
        *p++ = '?';
        return i + 1;
    }
    const auto kept = std::uint8_t(c - 0xDC00);
    *p++ = char(kept);
    // A two-byte character right after a kept lead byte must not join it into a pair.
    if (rowOf(kept) < 0 || i + 1 >= n) return i + 1;
    const char16_t next = text[i + 1];
    if (next < 0x80 || (next >= 0xD800 && next <= 0xDFFF)) return i + 1;
    const std::uint16_t v = table[next];
    if (v <= 0xFF) return i + 1;
    const std::uint16_t pair = pairAfterKeptLead(kept, next, v);
    *p++ = char(pair >> 8);
    *p++ = char(pair & 0xFF);
    return i + 2;
}

// Writes the bytes of text at p, which has room for two bytes a code unit, and returns the end.
// plain is cleared when some unit does not come back as itself from decoding (a kept byte, a
// character the code page cannot hold) or when the text holds a CR LF.
char* encodeTo(std::u16string_view text, char* p, bool& plain) {
    const std::uint16_t* const table = encodeTable().bytes.data();
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + text.size();
    const char16_t* s = begin;
    while (s < end) {
        // Nearly every unit is answered by the table: a pair, or a single byte.
        const std::uint16_t v = table[*s];
        if (v > 0xFF) {
            p[0] = char(v >> 8);
            p[1] = char(v & 0xFF);
            p += 2;
            ++s;
        } else if (v != 0) {
            *p++ = char(v);
            ++s;
        } else {
            s = begin + encodeSpecial(text, std::size_t(s - begin), p, plain);
        }
    }
    return p;
}

}  // namespace

std::string Cp932Codec::encode(std::u16string_view text) const {
    std::string bytes;
    bytes.resize(text.size() * 2);
    bool plain = true;
    const char* end = encodeTo(text, bytes.data(), plain);
    bytes.resize(std::size_t(end - bytes.data()));
    return bytes;
}

std::string_view Cp932Codec::encodeInto(std::u16string_view text, std::string& buffer) const {
    if (buffer.size() < text.size() * 2) buffer.resize(text.size() * 2);
    bool plain = true;
    const char* end = encodeTo(text, buffer.data(), plain);
    return {buffer.data(), std::size_t(end - buffer.data())};
}

bool Cp932Codec::encodeLine(std::u16string_view text, std::string& out) const {
    const std::size_t start = out.size();
    out.resize(start + text.size() * 2 + 2);
    bool plain = true;
    char* p = encodeTo(text, out.data() + start, plain);
    *p++ = '\r';
    *p++ = '\n';
    out.resize(std::size_t(p - out.data()));
    return plain;
}

}  // namespace tetomu
