#include "store/folder_check.h"

#include <algorithm>

#include "store/memo_store.h"

namespace tetomu {

FolderCheck::FolderCheck(const MemoStore& store, int rows)
    : store_(store), listed_(std::size_t(rows), false) {}

void FolderCheck::add(const FolderEntry& entry) {
    const auto n = store_.memoNumber(entry.name);
    const bool temp = !n && store_.isName(entry.name, "temp.txt");
    if (!n && !temp && !store_.isName(entry.name, "group.gl")) return;
    const int rows = int(listed_.size());
    const bool file = entry.kind == EntryKind::File;
    if (n && *n >= rows) {
        past_.emplace(*n, std::pair{file, NativeString(entry.name)});
        return;
    }
    if (n) listed_[std::size_t(*n)] = true;
    if (!file) {
        found_.notFiles.emplace_back(entry.name);
    } else if (temp) {
        found_.temp = true;
    }
}

FolderFindings FolderCheck::findings() {
    for (std::size_t i = 0; i < listed_.size(); ++i) {
        if (!listed_[i]) found_.missing.push_back(int(i));
    }
    // Only the files from the first free number on, one after another, are met by a new memo:
    // it takes them in, or stops at one that is not a plain file.
    for (int n = int(listed_.size());; ++n) {
        const auto at = past_.find(n);
        if (at == past_.end()) break;
        if (!at->second.first) {
            found_.notFiles.push_back(at->second.second);
            break;
        }
        found_.strays.push_back(n);
    }
    std::sort(found_.notFiles.begin(), found_.notFiles.end());
    return found_;
}

}  // namespace tetomu
