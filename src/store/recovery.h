#pragma once
// Start-up's part in keeping the memo folder whole. It finishes every step that the journal
// names as cut short (store/journal.h), innermost first, and removes the program's own left-over
// files: the ".saving" sibling of a save that was cut short. Each step it takes can itself be cut
// short and is taken again at the next start; the journal goes only when all are done.
//
// Nothing else is changed: a folder that does not match the format without a record saying why
// is left exactly as it was (store/folder_check.h says what is off).
namespace tetomu {

class MemoStore;

struct Recovery {
    int stepsFinished = 0;
    int leftoversRemoved = 0;
};

Recovery recoverFolder(MemoStore& store);

}  // namespace tetomu
