#include "store/recovery.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/index_file.h"
#include "store/journal.h"
#include "store/memo_store.h"
#include "store/text_codec.h"
#include "store/title.h"

namespace tetomu {
namespace {

// The index as its rows of bytes, read afresh and written back in the program's own form.
class IndexRows {
  public:
    explicit IndexRows(MemoStore& store) : store_(store) {
        const std::string bytes = store.readIndex();
        for (const auto& [begin, end] : splitIndex(bytes).lines)
            rows_.push_back(bytes.substr(begin, end - begin));
    }
    int count() const { return int(rows_.size()); }
    std::vector<std::string>& rows() { return rows_; }
    void write() {
        std::string bytes;
        for (const auto& row : rows_)
            bytes += row + "\r\n";
        store_.writeIndex(bytes);
    }

  private:
    MemoStore& store_;
    std::vector<std::string> rows_;
};

bool isFile(MemoStore& store, int n) {
    return store.kind(store.memoPath(n)) == EntryKind::File;
}

// The create step writes memo a, then the index with rows up to a (files past the old index that
// it took into the list on the way included). Cut short after the file, the rows are added.
void finishCreate(MemoStore& store, const JournalRecord& r) {
    IndexRows index(store);
    if (index.count() > r.a || !isFile(store, r.a)) return;
    for (int i = index.count(); i <= r.a; ++i) {
        if (!isFile(store, i)) return;
    }
    const TextCodec& codec = store.codec();
    for (int i = index.count(); i <= r.a; ++i)
        index.rows().push_back(codec.encode(titleOf(store.readMemo(i))));
    index.write();
}

// The delete step removes file a, writes the index without row a, then renames a+1 .. b-1 one
// number down. Cut short, it is finished from wherever it stopped.
void finishDelete(MemoStore& store, const JournalRecord& r) {
    IndexRows index(store);
    if (index.count() == r.b) {
        // As the step itself does: each part kept before the next, the index telling which are.
        if (isFile(store, r.a)) {
            store.remove(store.memoPath(r.a));
            store.flushFolder();
        }
        index.rows().erase(index.rows().begin() + r.a);
        index.write();
        store.flushFolder();
    }
    if (index.count() != r.b - 1) return;
    for (int i = r.a; i < r.b - 1; ++i) {
        if (isFile(store, i)) continue;
        if (store.kind(store.memoPath(i)) != EntryKind::Missing || !isFile(store, i + 1)) return;
        store.rename(store.memoPath(i + 1), store.memoPath(i));
    }
}

// The swap moves file a to temp.txt, file b to a's name, writes the index with rows a and b
// exchanged and moves temp.txt to b's name. Without temp.txt it has not begun or is done.
void finishSwap(MemoStore& store, const JournalRecord& r) {
    const auto a = store.memoPath(r.a);
    const auto b = store.memoPath(r.b);
    const auto temp = store.tempPath();
    if (store.kind(temp) != EntryKind::File) return;
    if (store.kind(a) == EntryKind::Missing && store.kind(b) == EntryKind::File) store.rename(b, a);
    if (store.kind(a) != EntryKind::File || store.kind(b) != EntryKind::Missing) return;
    IndexRows index(store);
    if (r.a < index.count() && r.b < index.count() && r.rowA != r.rowB) {
        auto& rows = index.rows();
        if (hashBytes(rows[std::size_t(r.a)]) == r.rowA &&
            hashBytes(rows[std::size_t(r.b)]) == r.rowB) {
            std::swap(rows[std::size_t(r.a)], rows[std::size_t(r.b)]);
            index.write();
            // The rows are kept before temp.txt goes, which says the swap is done.
            store.flushFolder();
        }
    }
    store.rename(temp, b);
}

// Emptying the box with nothing selected makes an empty memo a at the end of the list, which is
// then taken away: its row first, then its file.
void finishDrop(MemoStore& store, const JournalRecord& r) {
    const bool emptyFile = isFile(store, r.a) && store.files().read(store.memoPath(r.a)).empty();
    IndexRows index(store);
    if (index.count() == r.a + 1 && (emptyFile || !isFile(store, r.a))) {
        index.rows().pop_back();
        index.write();
    }
    if (emptyFile && index.count() == r.a) store.remove(store.memoPath(r.a));
}

// A file that a replace had moved aside: it is the file again when the replace left no file at
// its name, and otherwise goes. Returns true when it was put back.
bool putBack(MemoStore& store, const std::filesystem::path& target,
             const std::filesystem::path& replaced) {
    if (store.kind(replaced) != EntryKind::File) return false;
    switch (store.kind(target)) {
        case EntryKind::Missing:
            store.rename(replaced, target);
            return true;
        case EntryKind::File:
            store.remove(replaced);
            return false;
        case EntryKind::Other:
            break;
    }
    return false;
}

}  // namespace

std::optional<NativeString> leftoverTarget(const MemoStore& store, const FolderEntry& entry) {
    const NativeView name = entry.name;
    // Nearly every name is a memo's: its last letter settles it.
    if (entry.kind != EntryKind::File || name.empty() ||
        (name.back() != 'g' && name.back() != 'G' && name.back() != 'd' && name.back() != 'D'))
        return std::nullopt;
    for (const std::string_view suffix :
         {std::string_view(".saving"), std::string_view(".replaced")}) {
        if (name.size() <= suffix.size() ||
            !store.isName(name.substr(name.size() - suffix.size()), suffix))
            continue;
        const NativeView target = name.substr(0, name.size() - suffix.size());
        if (store.isName(target, "group.gl") || store.isName(target, "group.gl.journal") ||
            store.isName(target, "temp.txt") || store.memoNumber(target).has_value())
            return NativeString(target);
    }
    return std::nullopt;
}

bool clearLeftover(MemoStore& store, const NativeString& name, const NativeString& target) {
    const auto folder = store.folder();
    if (!store.isName(NativeView(name).substr(target.size()), ".replaced")) {
        store.remove(folder / name);
        return false;
    }
    return putBack(store, folder / target, folder / name);
}

void putBackReplacedIndex(MemoStore& store) {
    for (const auto& target : {store.journalPath(), store.indexPath()})
        putBack(store, target, replacedPathFor(target));
}

int finishCutShortSteps(MemoStore& store) {
    if (store.kind(store.journalPath()) != EntryKind::File) return 0;
    Journal journal(store);
    const std::vector<JournalRecord>& records = journal.resume();
    int finished = 0;
    while (!records.empty()) {
        const JournalRecord r = records.back();
        switch (r.kind) {
            case JournalRecord::Kind::Create:
                finishCreate(store, r);
                break;
            case JournalRecord::Kind::Delete:
                finishDelete(store, r);
                break;
            case JournalRecord::Kind::Swap:
                finishSwap(store, r);
                break;
            case JournalRecord::Kind::Drop:
                finishDrop(store, r);
                break;
        }
        // Done, as the step itself would have said had it not been cut short.
        journal.pop();
        ++finished;
    }
    return finished;
}

}  // namespace tetomu
