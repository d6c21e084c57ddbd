#include "store/file_system.h"

#include <system_error>

#include "store/store_error.h"

namespace tetomu {

std::vector<std::filesystem::path::string_type> FileSystem::names(
    const std::filesystem::path& folder) {
    std::vector<std::filesystem::path::string_type> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        found.push_back(it->path().filename().native());
    }
    if (error) {
        const StoreFault fault = error == std::errc::no_such_file_or_directory
                                     ? StoreFault::NotFound
                                 : error == std::errc::permission_denied ? StoreFault::AccessDenied
                                                                         : StoreFault::Other;
        throw StoreError(fault, error.value(), error.message(), folder);
    }
    return found;
}

}  // namespace tetomu
