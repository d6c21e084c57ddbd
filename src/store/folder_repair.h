#pragma once
// Start-up check of the memo folder for the trace of a save that was cut short: the program was
// killed, the power went, or a file call failed between the steps of a delete, a swap or a new
// memo. Each such trace has one shape, and finishing or undoing the step brings the folder back
// to its rule: one index line per memo file, files 0 to n-1, no temp.txt.
//
// Nothing that holds text is deleted or written over: memo files are only renamed, and the index
// only loses the line of a memo whose file is gone, or gains one for a memo file it did not name.
// A folder in any other shape is left exactly as found.
#include <string>
#include <vector>

namespace tetomu {

class MemoStore;

enum class FolderRepair {
    None,            // the folder keeps the rule
    SwapFinished,    // temp.txt was put back under its number
    DeleteFinished,  // a memo's file was missing: its line is dropped, later files renumbered
    StraysAdopted,   // memo files past the index got lines of their own (empty ones removed)
    LeftAsFound,     // some other shape: nothing touched
};

struct RepairResult {
    FolderRepair repair = FolderRepair::None;
    std::vector<std::u16string> titles;  // the index as it now stands
};

// Reads the index (creating it empty when missing, as start-up always has) and repairs.
RepairResult repairInterruptedSteps(MemoStore& store);

}  // namespace tetomu
