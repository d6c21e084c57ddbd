#include "store/index_file.h"

#include <cstring>

namespace tetomu {
namespace {

// Where each line is, for lines that end in this one byte (LF or CR), or in CR LF when the byte
// is LF and crlf is set. memchr finds the line ends; a title is rarely more than a hundred bytes.
void split(std::string_view bytes, char end, bool crlf, IndexLines& index) {
    const char* const data = bytes.data();
    std::size_t start = 0;
    std::size_t from = 0;
    while (start < bytes.size()) {
        const void* found = std::memchr(data + from, end, bytes.size() - from);
        if (!found) {
            index.lines.emplace_back(start, bytes.size());
            return;
        }
        const std::size_t at = std::size_t(static_cast<const char*>(found) - data);
        if (crlf && (at == start || data[at - 1] != '\r')) {
            from = at + 1;  // a lone LF stays inside its line
            continue;
        }
        const std::size_t lineEnd = crlf ? at - 1 : at;
        index.lines.emplace_back(start, lineEnd);
        start = from = at + 1;
    }
}

}  // namespace

IndexLines splitIndex(std::string_view bytes) {
    IndexLines index;
    if (bytes.empty()) return index;
    // Titles are mostly a few dozen bytes: room for that many lines saves the vector's growing.
    index.lines.reserve(bytes.size() / 48 + 1);
    if (bytes.find("\r\n") != std::string_view::npos) {
        split(bytes, '\n', true, index);
    } else if (bytes.find('\n') != std::string_view::npos) {
        index.ends = IndexLineEnds::Lf;
        split(bytes, '\n', false, index);
    } else if (bytes.find('\r') != std::string_view::npos) {
        index.ends = IndexLineEnds::Cr;
        split(bytes, '\r', false, index);
    } else {
        index.lines.emplace_back(0, bytes.size());
    }
    index.canonical = index.ends == IndexLineEnds::CrLf && bytes.size() >= 2 &&
                      bytes.substr(bytes.size() - 2) == "\r\n";
    return index;
}

}  // namespace tetomu
