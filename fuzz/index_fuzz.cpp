// The index reader. Lines end only at CR LF; whatever the bytes, each title read back is one line,
// and writing the titles and reading them again gives the same titles.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "store/cp932_codec.h"
#include "store/memo_store.h"
#include "store/posix_file_system.h"
#include "store/title.h"

namespace {

const tetomu::Cp932Codec codec;
tetomu::PosixFileSystem files;  // never called: only the encoding of the index is used
tetomu::MemoStore store(files, codec, "/nonexistent");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::u16string> titles = store.decodeIndex(bytes);
    for (const auto& t : titles) {
        if (t.find(u"\r\n") != std::u16string::npos) std::abort();
    }
    // Lines are what lies between CR LF pairs of the text, the last one without its pair.
    const std::u16string text = codec.decode(bytes);
    std::size_t pairs = 0;
    for (std::size_t at = text.find(u"\r\n"); at != std::u16string::npos;
         at = text.find(u"\r\n", at + 2))
        ++pairs;
    const bool tail = !text.empty() && !text.ends_with(u"\r\n");
    if (titles.size() != pairs + (tail ? 1 : 0)) std::abort();

    const std::string written = store.encodeIndex(titles);
    if (store.decodeIndex(written) != titles) std::abort();
    if (!tail && codec.encode(text) == bytes && written != bytes) std::abort();

    // Titles made by the title rule, whatever the texts: one line each, however they read back.
    std::vector<std::u16string> made;
    for (const auto& t : titles)
        made.push_back(tetomu::TitleOf(t + u"\r\n" + t));
    if (store.decodeIndex(store.encodeIndex(made)).size() != made.size()) std::abort();
    return 0;
}
