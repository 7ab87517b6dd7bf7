// The port address a user types into the driver settings.
#include "drivers/base/PortText.h"
#include "fuzz/FuzzInput.h"

#include <stdexcept>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t base = 0;
    try {
        base = ParsePortText(fuzz::AsText(data, size));
    } catch (const std::invalid_argument&) {
        return 0;
    }
    FUZZ_CHECK(ParsePortText(FormatPortText(base)) == base);
    return 0;
}
