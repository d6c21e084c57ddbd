#include "store/base_path.h"

namespace tetomu {

NativeString basePathFrom(const NativeString& directory) {
    return basePathFrom(directory, std::filesystem::path::preferred_separator);
}

}  // namespace tetomu
