// The scenario table run on the core alone, on a real temporary folder; on Windows with the
// Windows file calls as Microsoft documents them, under Wine.
#include "support/core_driver.h"
#ifdef _WIN32
#include "store/file_system_win.h"
#include "win32/windows_as_documented.h"
#else
#include "store/file_system_posix.h"
#endif

namespace tetomu::test {
namespace {

const bool registered = registerScenarios("CoreScenario", [](const Scenario& s) {
#ifdef _WIN32
    Win32FileSystem files(windowsAsDocumented());
#else
    PosixFileSystem files;
#endif
    CoreDriver driver(files);
    runScenario(s, driver);
});

}  // namespace
}  // namespace tetomu::test
