#pragma once
// The memo folder's steps, as a person's actions need them: opening the folder, reading the list
// from the index and writing it back, reading and saving a memo, a new memo, a delete, a swap,
// and the short-lived memo that emptying the box makes and drops. It owns the store and the
// journal: each step that names several files is written in the journal before it begins, so
// that start-up finishes one cut short. It keeps what it last wrote of the index.
//
// It works on the list's rows (the index as the window holds it) and on the text box's text, and
// raises no handler: when each step runs, and what the controls show and say, is MemoWindow's.
// A refused file call is a StoreError, left to pass.
#include <functional>
#include <optional>
#include <string>

#include "store/file_system.h"
#include "store/folder_check.h"
#include "store/index_file.h"
#include "store/journal.h"
#include "store/memo_store.h"
#include "store/program_folder.h"

namespace tetomu {

class ListBox;
class TextBox;
class TextCodec;

class MemoBook {
  public:
    MemoBook(FileSystem& files, const TextCodec& codec, ListBox& rows);

    // Takes the memo folder beside the program and its lock, and finishes the steps that the
    // journal names as cut short; nothing else is changed. Held is the only answer after which
    // the folder is this book's.
    FolderLock open(const NativeString& programFolder);
    bool isOpen() const { return store_.has_value(); }
    // Refuses when the folder at its path is no longer the one this copy locked.
    void mustBeSameFolder() const;
    const std::filesystem::path& folder() const { return store().folder(); }

    // Another program wrote, replaced or removed the index, or memo n's file, since this book
    // last read or wrote it (one look; the bytes only when the look differs).
    bool indexChangedElsewhere();
    // Something other than a plain file at its name is not counted: the save refuses it and says
    // so.
    bool memoChangedElsewhere(int n) {
        return store().memoChangedElsewhere(n) && kind(n) != EntryKind::Other;
    }

    // The list read again from the index; nothing is selected afterwards.
    IndexLineEnds reloadList();
    // The index written from the list; bytes the file already holds are not written again, so
    // that a folder that may only be read can still be browsed. An index another program changed
    // since it was last read is read again first, and the rows changed here since put onto it,
    // so that rows another copy added stay.
    void writeIndex();

    // Memo n's file: what is at its name, the name as the person reads it, and its text.
    EntryKind kind(int n);
    std::u16string name(int n) const;
    std::u16string readMemo(int n);
    // Saves the box's text as memo n. asRead: the text is the one readMemo(n) gave, so nothing
    // is written. A memo whose file was missing has it named on disk before the index can give
    // its row a new title.
    void saveMemo(int n, TextBox& text, bool asRead, bool fileWasMissing);

    // Where a new memo from this text can go: past the list, files that the index does not name
    // are never written over. A memo file there is taken into the list first (its row added),
    // so that its text stays reachable.
    struct Room {
        enum Kind {
            Free,
            Nothing,   // an empty text meets a file there: nothing to save, nothing taken in
            NotAFile,  // a link, a folder or a pipe at number `at`
            Full,
        } kind;
        int at = 0;
    };
    Room makeRoomForNewMemo(bool hasText);
    // The text as a new memo at the end: its row, then its file, then the index.
    void createMemo(TextBox& text);

    // Memo n goes, file and row, and the later memos move one number down. A memo whose file
    // is missing has nothing to remove; a link or a pipe at its name goes as a name, never
    // followed.
    enum class Deletion {
        Done,
        Gap,  // a later memo's file is missing: renumbering would put memos under other titles
        NameStays,  // what is at its name (not a plain file) could not be taken away
    };
    Deletion deleteMemo(int n);

    bool tempLeftOver();
    // Memos a and b exchange files and rows; a refused call puts back what was done.
    void swapMemos(int a, int b);

    // Emptying the box with nothing picked makes an empty memo at the end; this runs `emptyBox`
    // and takes that memo away again, leaving the folder and the list as they were.
    void emptyAndDrop(const std::function<void()>& emptyBox);

    // Removes the left-overs of a save cut short and says what else does not match the index.
    struct Look {
        FolderFindings found;
        bool leftoversRemoved = false;
    };
    Look lookAtTheFolder();

  private:
    bool laterFilesAreThere(int from);
    void takeInOtherRows();
    MemoStore& store() { return store_.value(); }
    const MemoStore& store() const { return store_.value(); }
    Journal& journal() { return journal_.value(); }

    FileSystem& files_;
    const TextCodec& codec_;
    ListBox& rows_;
    std::optional<MemoStore> store_;
    std::optional<Journal> journal_;
    // The list version whose index bytes the file holds, when known. What the file held when
    // this book last read or wrote it the list keeps (ListBox::seen()).
    std::optional<std::uint64_t> indexOnDisk_;
};

}  // namespace tetomu
