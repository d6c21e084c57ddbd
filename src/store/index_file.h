#pragma once
// The index file "group.gl": one title per line, in list order, CR LF after every line. An index
// that has CR LF in it ends lines only there, so a lone CR or LF stays inside its title. One
// that a tool has turned to LF (or CR) line ends throughout, with no CR LF left, reads one
// title a line, as the person expects.
#include <string_view>
#include <utility>
#include <vector>

namespace tetomu {

enum class IndexLineEnds { CrLf, Lf, Cr };

struct IndexLines {
    // Where each title's bytes are, without the line end.
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    IndexLineEnds ends = IndexLineEnds::CrLf;
    // The bytes are exactly the titles, each followed by CR LF: what this program writes.
    bool canonical = true;
};

IndexLines splitIndex(std::string_view bytes);

}  // namespace tetomu
