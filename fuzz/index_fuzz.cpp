// The index reader. Whatever the bytes, each title is one line: lines end only at CR LF, or at LF
// (or CR) in an index that has no CR LF at all. The list holds the index in the program's own
// form, reads back as the same titles, and is the file itself when the file was in that form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/cp932_codec.h"
#include "store/index_file.h"
#include "window/controls.h"

namespace {

const tetomu::Cp932Codec codec;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const tetomu::IndexLines lines = tetomu::splitIndex(bytes);
    tetomu::ListBox list(codec);
    list.load(std::string(bytes));
    if (std::size_t(list.count()) != lines.lines.size()) std::abort();
    for (int i = 0; i < list.count(); ++i) {
        const auto [begin, end] = lines.lines[std::size_t(i)];
        if (list.rowBytes(i) != bytes.substr(begin, end - begin)) std::abort();
        if (list.title(i) != codec.decode(list.rowBytes(i))) std::abort();
    }
    if (lines.canonical && list.indexBytes() != bytes) std::abort();

    // Read again in the program's own form: the same titles, one a line.
    tetomu::ListBox again(codec);
    again.load(std::string(list.indexBytes()));
    if (again.count() != list.count()) std::abort();
    for (int i = 0; i < list.count(); ++i) {
        if (again.title(i) != list.title(i)) std::abort();
    }
    return 0;
}
