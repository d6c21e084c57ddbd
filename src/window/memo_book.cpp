#include "window/memo_book.h"

#include <utility>
#include <vector>

#include "store/index_file.h"
#include "store/recovery.h"
#include "store/store_error.h"
#include "store/title.h"
#include "window/controls.h"

namespace tetomu {

MemoBook::MemoBook(FileSystem& files, const TextCodec& codec, ListBox& rows)
    : files_(files), codec_(codec), rows_(rows) {}

FolderLock MemoBook::open(const NativeString& programFolder) {
    store_.emplace(files_, codec_, programFolder);
    journal_.emplace(*store_);
    // The lock is the memo folder's own: whoever starts the program, from wherever, one copy
    // works on one folder. Taking it touches nothing in the folder.
    const FolderLock lock = files_.lockFolder(store().folder());
    if (lock == FolderLock::HeldElsewhere || lock == FolderLock::HeldInAnotherSession) {
        journal_.reset();
        store_.reset();
        return lock;
    }
    // A step that the journal names as cut short is finished; nothing else is changed.
    putBackReplacedIndex(store());
    finishCutShortSteps(store());
    return lock;
}

void MemoBook::mustBeSameFolder() const {
    if (store_) store().mustBeLockedFolder();
}

IndexLineEnds MemoBook::reloadList() {
    const IndexLines lines = rows_.load(store().readIndex());
    if (lines.canonical || rows_.count() == 0)
        indexOnDisk_ = rows_.version();
    else
        indexOnDisk_.reset();
    return lines.ends;
}

bool MemoBook::indexChangedElsewhere() {
    return store().indexChangedElsewhere(
        [this](std::string_view bytes) { return bytes == rows_.seen(); });
}

void MemoBook::writeIndex() {
    if (indexOnDisk_ == rows_.version()) return;
    if (indexChangedElsewhere()) takeInOtherRows();
    indexOnDisk_.reset();
    store().writeIndex(rows_.indexBytes());
    rows_.markSeen();
    indexOnDisk_ = rows_.version();
}

// The index as another program left it, with the rows changed here since the last read put
// onto it: a title changed or two rows exchanged go to their places, rows added go at its end.
// A list that lost rows here (a delete, whose files are renumbered already) stays as it is.
void MemoBook::takeInOtherRows() {
    const std::string theirs = store().readIndex();
    const std::string ours(rows_.indexBytes());
    auto rowsOf = [](const std::string& bytes) {
        std::vector<std::string_view> rows;
        for (const auto& [from, to] : splitIndex(bytes).lines)
            rows.push_back(std::string_view(bytes).substr(from, to - from));
        return rows;
    };
    // What was seen last is the base; from here on the other program's index is.
    const std::string seen = rows_.seen();
    rows_.markSeen(theirs);
    const auto base = rowsOf(seen);
    const auto mine = rowsOf(ours);
    auto merged = rowsOf(theirs);
    if (mine.size() < base.size()) return;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (i >= base.size())
            merged.push_back(mine[i]);
        else if (mine[i] != base[i] && i < merged.size())
            merged[i] = mine[i];
    }
    std::string bytes;
    for (const auto row : merged) {
        bytes += row;
        bytes += "\r\n";
    }
    rows_.load(std::move(bytes));
    rows_.markSeen(theirs);  // loaded as though read: the file still holds theirs
}

EntryKind MemoBook::kind(int n) {
    return store().kind(store().memoPath(n));
}

std::u16string MemoBook::name(int n) const {
    return pathText(store().memoPath(n).filename());
}

std::u16string MemoBook::readMemo(int n) {
    return store().readMemo(n);
}

void MemoBook::saveMemo(int n, TextBox& text, bool asRead, bool fileWasMissing) {
    store().writeMemo(n, text.text(), text.unsavedEdit(), asRead);
    text.markSaved();
    // After a power cut the index must not give the row its new title while the file's name is
    // lost.
    if (fileWasMissing) store().flushFolder();
}

MemoBook::Room MemoBook::makeRoomForNewMemo(bool hasText) {
    int free = rows_.count();
    for (EntryKind k; (k = kind(free)) != EntryKind::Missing;) {
        if (!hasText) return {Room::Nothing, free};
        if (k != EntryKind::File) return {Room::NotAFile, free};
        if (++free >= kMaxMemos) return {Room::Full, free};
    }
    for (int n = rows_.count(); n < free; ++n)
        rows_.addItem(titleOf(store().readMemo(n)));
    return {Room::Free, free};
}

void MemoBook::createMemo(TextBox& text) {
    const int n = rows_.count();
    rows_.addItem(titleOf(text.text()));
    // The text goes to disk before the index names it; the journal says so until both are.
    JournalEntry entry(journal(), {JournalRecord::Kind::Create, n});
    saveMemo(n, text, false, false);
    // After a power cut the index must not name a file whose name was lost.
    store().flushFolder();
    writeIndex();
    entry.done();
}

// Every memo file from `from` to the end of the list is there, as a plain file.
bool MemoBook::laterFilesAreThere(int from) {
    for (int i = from; i < rows_.count(); ++i) {
        if (kind(i) != EntryKind::File) return false;
    }
    return true;
}

MemoBook::Deletion MemoBook::deleteMemo(int n) {
    const int count = rows_.count();
    const auto path = store().memoPath(n);
    if (!laterFilesAreThere(n + 1)) return Deletion::Gap;
    const EntryKind own = store().kind(path);
    if (own == EntryKind::Other) {
        // Before the journal: a row without its file is a state the folder may be left in.
        try {
            store().remove(path);
        } catch (const StoreError&) {
            return Deletion::NameStays;
        }
    }
    JournalEntry entry(journal(), {JournalRecord::Kind::Delete, n, count});
    if (own == EntryKind::File) {
        store().remove(path);
        // Each part is kept before the next begins, as start-up tells from the index which are
        // done.
        store().flushFolder();
    }
    rows_.removeItem(n);
    writeIndex();
    store().flushFolder();
    // Ascending, so that every target name is the one just freed.
    for (int i = n; i <= count - 2; ++i)
        store().rename(store().memoPath(i + 1), store().memoPath(i));
    entry.done();
    return Deletion::Done;
}

bool MemoBook::tempLeftOver() {
    return store().kind(store().tempPath()) != EntryKind::Missing;
}

// a's file goes to temp.txt, b's file to a's name, the index is written with rows a and b
// exchanged, and temp.txt goes to b's name. The journal names the swap until it is done, so
// start-up finishes one that was cut short.
void MemoBook::swapMemos(int a, int b) {
    MemoStore& s = store();
    const auto pathA = s.memoPath(a);
    const auto pathB = s.memoPath(b);
    const auto temp = s.tempPath();
    for (const auto& path : {pathA, pathB}) {
        const EntryKind k = s.kind(path);
        if (k != EntryKind::File)
            s.refuse(k == EntryKind::Missing ? StoreFault::NotFound : StoreFault::NotAFile, path);
    }
    JournalEntry entry(journal(), {JournalRecord::Kind::Swap, a, b, hashBytes(rows_.rowBytes(a)),
                                   hashBytes(rows_.rowBytes(b))});
    // Undoing is best effort: the first refusal is the one reported, and the journal finishes
    // whatever stays undone at the next start.
    auto undo = [](auto&& steps) {
        try {
            steps();
        } catch (const StoreError&) {
        }
    };
    s.rename(pathA, temp);
    try {
        s.rename(pathB, pathA);
    } catch (const StoreError&) {
        undo([&] { s.rename(temp, pathA); });
        throw;
    }
    rows_.exchange(a, b);
    bool indexWritten = false;
    try {
        // Start-up tells from temp.txt and the rows how far a swap got: each part is kept
        // before the next begins.
        s.flushFolder();
        writeIndex();
        indexWritten = true;
        s.flushFolder();
    } catch (const StoreError&) {
        rows_.exchange(a, b);
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
            // The files are back where they were: so must the rows be.
            if (indexWritten) writeIndex();
        });
        throw;
    }
    try {
        s.rename(temp, pathB);
    } catch (const StoreError&) {
        rows_.exchange(a, b);
        undo([&] {
            s.rename(pathA, pathB);
            s.rename(temp, pathA);
            writeIndex();
        });
        throw;
    }
    entry.done();
    rows_.clearSelection();
}

// The journal names the short-lived memo from before it is made until it is gone.
void MemoBook::emptyAndDrop(const std::function<void()>& emptyBox) {
    const int before = rows_.count();
    // No memo is made when the list is full or a file already has that number.
    std::optional<JournalEntry> drop;
    if (before < kMaxMemos && kind(before) == EntryKind::Missing)
        drop.emplace(journal(), JournalRecord{JournalRecord::Kind::Drop, before});
    emptyBox();
    if (!drop) return;
    if (rows_.count() == before + 1) {
        store().remove(store().memoPath(before));
        rows_.removeItem(before);
        writeIndex();
        rows_.clearSelection();
    }
    drop->done();
}

// An index in other line ends is not told: the first save writes it in CR LF, as every save does.
MemoBook::Look MemoBook::lookAtTheFolder() {
    FolderCheck check(store(), rows_.count());
    std::vector<std::pair<NativeString, NativeString>> leftovers;
    files_.list(store().folder(), [&](const FolderEntry& entry) {
        if (auto target = leftoverTarget(store(), entry))
            leftovers.emplace_back(entry.name, std::move(*target));
        else
            check.add(entry);
    });
    for (const auto& [leftover, target] : leftovers) {
        if (clearLeftover(store(), leftover, target)) check.add({target, EntryKind::File});
    }
    return {check.findings(), !leftovers.empty()};
}

}  // namespace tetomu
