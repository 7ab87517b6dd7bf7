// The plug-ins that throw (tests/host/modulehost/fixtures/ThrowingFixture.cpp) in a program
// folder of a test: one library as the data module throwing.so and as the drivers driver.so and
// initthrows.so. flavour: "throwing_plain" (built the ordinary way) or "throwing_glue" (built
// as our plug-ins are). The test program defines ORVANTA3_THROWING_FIXTURES.
#pragma once

#include <filesystem>
#include <string>

namespace orv::test {

inline void AddThrowingPlugins(const std::filesystem::path& program, const std::string& flavour) {
    namespace fs = std::filesystem;
    const fs::path library =
        fs::path(ORVANTA3_THROWING_FIXTURES) / "plugins/software" / (flavour + ".so");
    fs::create_directories(program / "plugins/software");
    fs::create_directories(program / "plugins/hardware");
    fs::copy_file(library, program / "plugins/software/throwing.so");
    fs::copy_file(library, program / "plugins/hardware/driver.so");
    fs::copy_file(library, program / "plugins/hardware/initthrows.so");
}

} // namespace orv::test
