#pragma once
// Start-up's part in keeping the memo folder whole. It finishes every step that the journal
// names as cut short (store/journal.h), innermost first; each step it takes can itself be cut
// short and is taken again at the next start, and the journal goes only when all are done. Then,
// from a look at the folder, it removes the program's own left-over files: the ".saving" sibling
// of a save that was cut short, and the ".replaced" backup of a replace (which becomes its file
// again where the replace left none).
//
// Nothing else is changed: a folder that does not match the format without a record saying why
// is left exactly as it was (store/folder_check.h says what is off).
#include <optional>

#include "store/file_system.h"

namespace tetomu {

class MemoStore;

// Returns how many steps were finished. Without a journal nothing is read but its name.
int finishCutShortSteps(MemoStore& store);

// Puts back the index and the journal where a replace cut short left them under their backup
// names; run before anything reads them.
void putBackReplacedIndex(MemoStore& store);

// The name of one of the program's own files whose left-over this entry is (the ".saving" sibling
// of a save cut short, or the ".replaced" one of a replace), or nothing.
std::optional<NativeString> leftoverTarget(const MemoStore& store, const FolderEntry& entry);

// Removes that left-over; a ".replaced" file whose target is missing becomes the target again
// instead, and true is returned.
bool clearLeftover(MemoStore& store, const NativeString& name, const NativeString& target);

}  // namespace tetomu
