#include "store/seen_files.h"

#include "store/journal.h"

namespace tetomu {

void SeenFiles::saw(const std::filesystem::path& path, std::string_view bytes, bool keptByCaller) {
    Seen& seen = seen_[path];
    seen.look = files_.look(path);
    seen.hash.reset();
    if (!keptByCaller) seen.hash = hashBytes(bytes);
}

void SeenFiles::moved(const std::filesystem::path& from, const std::filesystem::path& to) {
    const auto at = seen_.find(from);
    if (at == seen_.end()) {
        seen_.erase(to);
        return;
    }
    // A rename keeps the file's identity, size and time: what was seen is what is there.
    Seen seen = at->second;
    seen_.erase(at);
    seen_[to] = seen;
}

void SeenFiles::forget(const std::filesystem::path& path) {
    seen_.erase(path);
}

bool SeenFiles::changedElsewhere(const std::filesystem::path& path,
                                 std::optional<std::string_view> kept) {
    const auto at = seen_.find(path);
    if (at == seen_.end()) return false;
    const FileLook now = files_.look(path);
    if (now == at->second.look) return false;
    if (!now.exists || !at->second.look.exists) return true;
    // Touched, copied back or written with the same bytes: no change of the text.
    try {
        const std::string bytes = files_.read(path);
        if (at->second.hash ? hashBytes(bytes) != *at->second.hash : !kept || bytes != *kept)
            return true;
    } catch (const StoreError&) {
        return true;
    }
    at->second.look = now;
    return false;
}

}  // namespace tetomu
