#include "store/folder_check.h"

#include <algorithm>

#include "store/memo_store.h"

namespace tetomu {

FolderCheck::FolderCheck(const MemoStore& store, int rows, IndexLineEnds lineEnds)
    : store_(store), listed_(std::size_t(rows), false) {
    found_.otherLineEnds = lineEnds != IndexLineEnds::CrLf;
}

void FolderCheck::add(const FolderEntry& entry) {
    const auto n = store_.memoNumber(entry.name);
    const bool temp = !n && store_.isName(entry.name, "temp.txt");
    if (!n && !temp && !store_.isName(entry.name, "group.gl")) return;
    const int rows = int(listed_.size());
    if (n && *n < rows) listed_[std::size_t(*n)] = true;
    if (entry.kind != EntryKind::File) {
        found_.notFiles.emplace_back(entry.name);
    } else if (temp) {
        found_.temp = true;
    } else if (n && *n >= rows) {
        found_.strays.push_back(*n);
    }
}

FolderFindings FolderCheck::findings() {
    for (std::size_t i = 0; i < listed_.size(); ++i) {
        if (!listed_[i]) found_.missing.push_back(int(i));
    }
    std::sort(found_.strays.begin(), found_.strays.end());
    std::sort(found_.notFiles.begin(), found_.notFiles.end());
    return found_;
}

}  // namespace tetomu
