// The scenario table run on the core alone, on a real temporary folder; on Windows with the
// Windows file calls, under Wine.
#include "support/core_driver.h"
#ifdef _WIN32
#include "store/file_system_win.h"
using PlatformFileSystem = tetomu::Win32FileSystem;
#else
#include "store/file_system_posix.h"
using PlatformFileSystem = tetomu::PosixFileSystem;
#endif

namespace tetomu::test {
namespace {

const bool registered = registerScenarios("CoreScenario", [](const Scenario& s) {
    PlatformFileSystem files;
    CoreDriver driver(files);
    runScenario(s, driver);
});

}  // namespace
}  // namespace tetomu::test
