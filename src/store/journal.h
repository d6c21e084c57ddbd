#pragma once
// The program's own record of a step that could leave the memo folder out of step if it were cut
// short: a new memo's file written before its index line, a delete's renumbering, a swap, and the
// short-lived memo that "新規" and a swap make and take away. Before such a step the record is
// written and flushed to "group.gl.journal" in the memo folder; when the step is done it goes.
// Records nest (the short-lived memo is made by the create step), so the file holds a stack.
//
// Start-up finishes what a record names, innermost first (store/recovery.h). Without a record
// nothing in the folder is changed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tetomu {

class MemoStore;

struct JournalRecord {
    enum class Kind {
        Create,  // memo `a` is written, then the index gains rows up to it
        Delete,  // memo `a` of `b` memos goes, the index loses its row, later files move down
        Swap,    // memos `a` and `b` exchange files (through temp.txt) and index rows
        Drop,    // the empty memo `a` that emptying the box created goes again, file and row
    };
    Kind kind = Kind::Create;
    int a = 0;
    int b = 0;
    // Swap: hashes of index rows a and b before the swap, so that start-up can tell whether the
    // rows have been exchanged already.
    std::uint64_t rowA = 0;
    std::uint64_t rowB = 0;
};

// 64-bit FNV-1a: enough to tell the two rows of a swap apart.
std::uint64_t hashBytes(std::string_view bytes);

class Journal {
  public:
    explicit Journal(MemoStore& store) : store_(store) {}

    // Writes the record (and those it is nested in) and flushes it before the step begins.
    void push(const JournalRecord& record);
    // The step of the innermost record is done.
    void pop();
    // Takes on the records a run that was cut short left on disk, innermost last: start-up
    // finishes each step and pops it. A journal with nothing in it that can be read goes.
    const std::vector<JournalRecord>& resume();

  private:
    void save();

    MemoStore& store_;
    std::vector<JournalRecord> records_;
};

// Pushes a record for the life of a step; the record stays on disk if the step is cut short
// (a refused call ends the program), which is what start-up needs to finish it.
class JournalEntry {
  public:
    JournalEntry(Journal& journal, const JournalRecord& record) : journal_(journal) {
        journal_.push(record);
    }
    JournalEntry(const JournalEntry&) = delete;
    JournalEntry& operator=(const JournalEntry&) = delete;
    void done() { journal_.pop(); }

  private:
    Journal& journal_;
};

}  // namespace tetomu
