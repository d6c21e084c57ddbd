#pragma once
// What start-up finds in a memo folder that does not match the format: a row of the index
// without its file, memo files past the index, a left-over temp.txt, an index whose lines end
// otherwise than in CR LF, and links, folders or pipes where a memo or the index belongs. It
// only looks; the window tells the person, and nothing is changed.
#include <filesystem>
#include <vector>

#include "store/file_system.h"
#include "store/index_file.h"

namespace tetomu {

class MemoStore;

struct FolderFindings {
    std::vector<int> missing;            // rows whose memo file is not there
    std::vector<int> strays;             // memo files past the last row
    std::vector<NativeString> notFiles;  // memo or index names that are not plain files
    bool temp = false;                   // temp.txt is there
    bool otherLineEnds = false;          // the index ends its lines in LF or CR

    bool empty() const {
        return missing.empty() && strays.empty() && notFiles.empty() && !temp && !otherLineEnds;
    }
};

// Told each entry of the folder in turn, for an index of `rows` rows.
class FolderCheck {
  public:
    FolderCheck(const MemoStore& store, int rows, IndexLineEnds lineEnds);
    void add(const FolderEntry& entry);
    FolderFindings findings();

  private:
    const MemoStore& store_;
    std::vector<bool> listed_;
    FolderFindings found_;
};

}  // namespace tetomu
