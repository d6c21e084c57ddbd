#include "store/program_folder.h"

namespace tetomu {

NativeString programFolderFrom(const NativeString& directory) {
    return programFolderFrom(directory, std::filesystem::path::preferred_separator);
}

}  // namespace tetomu
