#pragma once
// Start-up's part in keeping the memo folder whole. It finishes every step that the journal
// names as cut short (store/journal.h), innermost first; each step it takes can itself be cut
// short and is taken again at the next start, and the journal goes only when all are done. Then,
// from a look at the folder, it removes the program's own left-over files: the ".saving" sibling
// of a save that was cut short.
//
// Nothing else is changed: a folder that does not match the format without a record saying why
// is left exactly as it was (store/folder_check.h says what is off).
#include "store/file_system.h"

namespace tetomu {

class MemoStore;

// Returns how many steps were finished. Without a journal nothing is read but its name.
int finishCutShortSteps(MemoStore& store);

// A file this program left: the ".saving" sibling of one of its own names.
bool isLeftover(const MemoStore& store, const FolderEntry& entry);

}  // namespace tetomu
