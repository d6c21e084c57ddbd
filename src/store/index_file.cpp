#include "store/index_file.h"

#include <algorithm>

namespace tetomu {

IndexLines splitIndex(std::string_view bytes) {
    IndexLines index;
    if (bytes.empty()) return index;
    std::string_view separator = "\r\n";
    if (bytes.find(separator) == std::string_view::npos) {
        if (bytes.find('\n') != std::string_view::npos) {
            separator = "\n";
            index.ends = IndexLineEnds::Lf;
        } else if (bytes.find('\r') != std::string_view::npos) {
            separator = "\r";
            index.ends = IndexLineEnds::Cr;
        }
    }
    index.lines.reserve(std::size_t(std::count(bytes.begin(), bytes.end(), separator.back())) + 1);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find(separator, start);
        if (end == std::string_view::npos) end = bytes.size();
        index.lines.emplace_back(start, end);
        start = end + separator.size();
    }
    index.canonical = index.ends == IndexLineEnds::CrLf && bytes.size() >= 2 &&
                      bytes.substr(bytes.size() - 2) == "\r\n";
    return index;
}

}  // namespace tetomu
