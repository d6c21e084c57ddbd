#pragma once
// What start-up finds in a memo folder that does not match the format and that the person needs
// to know: a row of the index without its file, memo files that the next new memo will meet past
// the index, a left-over temp.txt, and links, folders or pipes where a memo or the index
// belongs. A number file beyond the first free number is the person's own business and is not
// named. It only looks; the window tells the person, and nothing is changed.
#include <filesystem>
#include <map>
#include <vector>

#include "store/file_system.h"

namespace tetomu {

class MemoStore;

struct FolderFindings {
    std::vector<int> missing;            // rows whose memo file is not there
    std::vector<int> strays;             // memo files the next new memo takes into the list
    std::vector<NativeString> notFiles;  // memo or index names that are not plain files
    bool temp = false;                   // temp.txt is there

    bool empty() const { return missing.empty() && strays.empty() && notFiles.empty() && !temp; }
};

// Told each entry of the folder in turn, for an index of `rows` rows.
class FolderCheck {
  public:
    FolderCheck(const MemoStore& store, int rows);
    void add(const FolderEntry& entry);
    FolderFindings findings();

  private:
    const MemoStore& store_;
    std::vector<bool> listed_;
    // Numbers past the index, and whether each is a plain file, with its name.
    std::map<int, std::pair<bool, NativeString>> past_;
    FolderFindings found_;
};

}  // namespace tetomu
