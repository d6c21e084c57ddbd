#include "store/seen_files.h"

#include "store/journal.h"

namespace tetomu {

void SeenFiles::saw(const std::filesystem::path& path, std::string_view bytes, bool keptByCaller,
                    const std::optional<FileLook>& look) {
    Seen& seen = seen_[path.native()];
    seen.look = look ? *look : files_.look(path);
    seen.hash.reset();
    if (!keptByCaller) seen.hash = hashBytes(bytes);
}

void SeenFiles::moved(const std::filesystem::path& from, const std::filesystem::path& to) {
    const auto at = seen_.find(from.native());
    if (at == seen_.end()) {
        seen_.erase(to.native());
        return;
    }
    // A rename keeps the file's identity, size and time: what was seen is what is there.
    Seen seen = at->second;
    seen_.erase(at);
    seen_[to.native()] = seen;
}

void SeenFiles::forget(const std::filesystem::path& path) {
    seen_.erase(path.native());
}

bool SeenFiles::changedElsewhere(const std::filesystem::path& path,
                                 const std::function<bool(std::string_view)>& sameAsKept) {
    const auto at = seen_.find(path.native());
    if (at == seen_.end()) return false;
    const FileLook now = files_.look(path);
    if (now == at->second.look) return false;
    if (!now.exists || !at->second.look.exists) return true;
    // Touched, copied back or written with the same bytes: no change of the text.
    try {
        const std::string bytes = files_.read(path);
        if (at->second.hash ? hashBytes(bytes) != *at->second.hash
                            : !sameAsKept || !sameAsKept(bytes))
            return true;
    } catch (const StoreError&) {
        return true;
    }
    at->second.look = now;
    return false;
}

}  // namespace tetomu
