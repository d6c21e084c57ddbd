// The scenario table run on the core alone, on a real temporary folder; on Windows with the
// Windows file calls, under Wine.
#include <gtest/gtest.h>

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

class CoreScenario : public testing::TestWithParam<std::size_t> {};

TEST_P(CoreScenario, Run) {
    const Scenario& s = scenarios()[GetParam()];
#ifdef _WIN32
    if (s.only == Only::Posix) GTEST_SKIP() << "POSIX only";
#else
    if (s.only == Only::Windows) GTEST_SKIP() << "Windows names";
#endif
    PlatformFileSystem files;
    CoreDriver driver(files);
    runScenario(s, driver);
}

INSTANTIATE_TEST_SUITE_P(Table, CoreScenario, testing::Range<std::size_t>(0, scenarios().size()),
                         [](const auto& info) { return scenarioName(scenarios()[info.param]); });

}  // namespace
}  // namespace tetomu::test
