#include "store/folder_check.h"

#include <algorithm>

#include "store/memo_store.h"

namespace tetomu {

FolderFindings checkFolder(const MemoStore& store, const std::vector<FolderEntry>& entries,
                           int rows, IndexLineEnds lineEnds) {
    FolderFindings found;
    found.otherLineEnds = lineEnds != IndexLineEnds::CrLf;
    std::vector<bool> listed(std::size_t(rows), false);
    for (const FolderEntry& entry : entries) {
        const auto n = store.memoNumber(entry.name);
        const bool temp = !n && store.isName(entry.name, "temp.txt");
        if (!n && !temp && !store.isName(entry.name, "group.gl")) continue;
        if (n && *n < rows) listed[std::size_t(*n)] = true;
        if (entry.kind != EntryKind::File) {
            found.notFiles.push_back(entry.name);
        } else if (temp) {
            found.temp = true;
        } else if (n && *n >= rows) {
            found.strays.push_back(*n);
        }
    }
    for (int i = 0; i < rows; ++i) {
        if (!listed[std::size_t(i)]) found.missing.push_back(i);
    }
    std::sort(found.strays.begin(), found.strays.end());
    std::sort(found.notFiles.begin(), found.notFiles.end());
    return found;
}

}  // namespace tetomu
