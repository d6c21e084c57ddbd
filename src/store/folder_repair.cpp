#include "store/folder_repair.h"

#include <optional>
#include <utility>

#include "store/memo_store.h"
#include "store/title.h"

namespace tetomu {
namespace {

// A swap moves memo a to temp.txt, memo b to a's name, writes the index with rows a and b
// exchanged, and moves temp.txt to b's name. Cut short, temp.txt is there and one number (the
// free one) is missing. Putting temp.txt under that number finishes the files; the index rows
// are exchanged here when the swap stopped before writing them.
void finishSwap(MemoStore& store, std::vector<std::u16string>& titles, int gap) {
    const std::u16string movedTitle = TitleOf(store.readFile(store.TempPath()));
    const auto g = std::size_t(gap);
    if (titles[g] != movedTitle) {
        // The index still has the old order: the row of the memo in temp.txt is the first pick,
        // whose file now holds the memo titled on the free row. Only an unambiguous match is
        // acted on; otherwise the titles stay and put themselves right when the memos are opened.
        std::optional<std::size_t> first;
        int matches = 0;
        for (std::size_t i = 0; i < titles.size(); ++i) {
            if (i == g || titles[i] != movedTitle) continue;
            if (TitleOf(store.readMemo(int(i))) == titles[g]) {
                first = i;
                ++matches;
            }
        }
        if (matches == 1) {
            std::swap(titles[*first], titles[g]);
            store.writeIndex(titles);
        }
    }
    store.rename(store.TempPath(), store.MemoPath(gap));
}

// A delete removes file k, writes the index without line k, then renames k+1 .. n-1 one down.
// Cut short, exactly one number is missing. The line goes first (when it is still there), so that
// a repair cut short itself leaves a shape this code finishes next time.
void finishDelete(MemoStore& store, std::vector<std::u16string>& titles, int gap, int lastFile) {
    if (lastFile < int(titles.size())) {
        titles.erase(titles.begin() + gap);
        store.writeIndex(titles);
    }
    for (int i = gap; i < lastFile; ++i)
        store.rename(store.MemoPath(i + 1), store.MemoPath(i));
}

// A new memo's file is written before the index names it. A file past the index holds what was
// typed; it gets its line. An empty one holds nothing (the "temp" memo of 新規 or a swap) and goes.
void adoptStrays(MemoStore& store, std::vector<std::u16string>& titles, int strays) {
    const int first = int(titles.size());
    int last = first + strays - 1;
    while (last >= first && store.readFile(store.MemoPath(last)).empty()) {
        store.remove(store.MemoPath(last));
        --last;
    }
    if (last < first) return;
    for (int i = first; i <= last; ++i)
        titles.push_back(TitleOf(store.readMemo(i)));
    store.writeIndex(titles);
}

}  // namespace

RepairResult repairInterruptedSteps(MemoStore& store) {
    RepairResult result;
    result.titles = store.readIndex();
    auto& titles = result.titles;
    const int lines = int(titles.size());

    const MemoStore::FolderContents folder = store.scanFolder();
    std::vector<int> gaps;
    for (int i = 0; i < lines; ++i) {
        if (!folder.hasMemo(i)) gaps.push_back(i);
    }
    int strays = 0;
    while (folder.hasMemo(lines + strays))
        ++strays;
    const bool temp = folder.temp;

    if (!temp && gaps.empty() && strays == 0) return result;
    if (temp && gaps.size() == 1 && strays == 0) {
        finishSwap(store, titles, gaps[0]);
        result.repair = FolderRepair::SwapFinished;
    } else if (!temp && gaps.size() == 1 && strays <= 1) {
        finishDelete(store, titles, gaps[0], lines - 1 + strays);
        result.repair = FolderRepair::DeleteFinished;
    } else if (gaps.empty() && strays > 0) {
        // temp.txt, if present, is not ours to touch here: a swap refuses to start while it is.
        adoptStrays(store, titles, strays);
        result.repair = FolderRepair::StraysAdopted;
    } else {
        result.repair = FolderRepair::LeftAsFound;
    }
    return result;
}

}  // namespace tetomu
