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

// The customary one-way mappings of the code page: characters it has no pair of its own for, but
// which input methods and keyboards produce every day, written as their look-alikes. The same
// set as the C library's CP932 converter.
constexpr std::pair<char16_t, std::uint16_t> kOneWay[] = {
    {0x00A2, 0x8191},  // ¢ as ￠
    {0x00A3, 0x8192},  // £ as ￡
    {0x00A5, 0x5C},    // ¥ (the yen key) as 5C
    {0x00AC, 0x81CA},  // ¬ as ￢
    {0x2014, 0x815C},  // — as ―
    {0x2016, 0x8161},  // ‖ as ∥
    {0x203E, 0x7E},    // ‾ as 7E
    {0x2212, 0x817C},  // − as －
    {0x301C, 0x8160},  // 〜 as ～
};

// One entry per UTF-16 code unit: the pair (lead << 8 | trail), a single byte, or 0 for a unit
// that needs a closer look (see encodeSlowly): NUL, surrogates and what the code page lacks.
struct EncodeTable {
    std::array<std::uint16_t, 0x10000> bytes{};
    EncodeTable() {
        for (int c = 1; c < 0x80; ++c)
            bytes[c] = std::uint16_t(c);
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
        for (const auto& [c, value] : kOneWay)
            bytes[c] = value;
    }
};

const EncodeTable& encodeTable() {
    static const EncodeTable table;
    return table;
}

}  // namespace

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

// Another pair of character c whose lead byte does not join the kept lead byte, or 0. Rare, so
// the table is searched.
std::uint16_t pairNotJoining(unsigned char keptLead, char16_t c) {
    for (int row = 0; row < kRows; ++row) {
        if (formsPair(keptLead, kCp932Leads[row])) continue;
        for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            if (kCp932Pairs[row][trail - kTrailFirst] == c)
                return std::uint16_t(kCp932Leads[row] << 8 | trail);
        }
    }
    return 0;
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

class Encoder {
  public:
    Encoder(std::u16string_view text, std::string& out, std::u16string* replaced)
        : text_(text), out_(out), replaced_(replaced) {}

    void run() {
        const std::uint16_t* const table = encodeTable().bytes.data();
        const std::size_t start = out_.size();
        // Never more than two bytes a code unit; written through a pointer, cut at the end.
        out_.resize(start + text_.size() * 2);
        p_ = out_.data() + start;
        const std::size_t n = text_.size();
        for (std::size_t i = 0; i < n;) {
            const std::uint16_t v = table[text_[i]];
            // Nearly every unit is answered by the table alone.
            if (v != 0 && keptLead_ == 0) {
                put(v);
                ++i;
            } else {
                i = encodeSlowly(i, v);
            }
        }
        out_.resize(std::size_t(p_ - out_.data()));
    }

  private:
    void put(std::uint16_t v) {
        if (v > 0xFF) *p_++ = char(v >> 8);
        *p_++ = char(v & 0xFF);
    }
    void replace(std::size_t i, std::size_t units) {
        *p_++ = '?';
        if (replaced_) replaced_->append(text_.substr(i, units));
    }

    // Unit i, whose table entry is v; returns the next unit to write.
    std::size_t encodeSlowly(std::size_t i, std::uint16_t v) {
        const char16_t c = text_[i];
        const unsigned char keptLead = std::exchange(keptLead_, 0);
        if (c == u'\0') {
            *p_++ = '\0';
            return i + 1;
        }
        if (isHighSurrogate(c) && i + 1 < text_.size() && isLowSurrogate(text_[i + 1])) {
            // A character beyond the 16-bit range: never in the code page, and its second half
            // must not be taken for a kept byte.
            replace(i, 2);
            return i + 2;
        }
        if (isKeptByte(c)) {
            const auto kept = std::uint8_t(c - 0xDC00);
            if (keptLead != 0 && formsPair(keptLead, kept)) {
                replace(i, 1);
                return i + 1;
            }
            *p_++ = char(kept);
            if (rowOf(kept) >= 0) keptLead_ = kept;
            return i + 1;
        }
        if (v == 0) {
            replace(i, 1);
            return i + 1;
        }
        // Right after a kept lead byte: a byte that would join it is not written.
        if (keptLead != 0 && formsPair(keptLead, std::uint8_t(v > 0xFF ? v >> 8 : v))) {
            const std::uint16_t other = v > 0xFF ? pairNotJoining(keptLead, c) : 0;
            if (other == 0) {
                replace(i, 1);
                return i + 1;
            }
            v = other;
        }
        put(v);
        return i + 1;
    }

    std::u16string_view text_;
    std::string& out_;
    std::u16string* replaced_;
    char* p_ = nullptr;
    unsigned char keptLead_ = 0;
};

}  // namespace

void Cp932Codec::encodeAppend(std::u16string_view text, std::string& out,
                              std::u16string* replaced) const {
    Encoder(text, out, replaced).run();
}

std::size_t Cp932Codec::encodedLength(std::u16string_view decoded) const {
    // Decoding gives one unit a byte for ASCII, half-width katakana and kept bytes, and one unit
    // a pair for everything else.
    std::size_t length = decoded.size();
    for (const char16_t c : decoded)
        length += !(c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) || isKeptByte(c));
    return length;
}

}  // namespace tetomu
