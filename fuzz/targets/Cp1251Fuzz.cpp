// Windows-1251 <-> UTF-8: any bytes either way, and the round trip from Windows-1251.
#include "fuzz/FuzzInput.h"
#include "base/Cp1251.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);

    std::string expected(bytes);
    for (char& c : expected)
        if (static_cast<uint8_t>(c) == 0x98) c = '?';
    FUZZ_CHECK(Utf8ToCp1251(Cp1251ToUtf8(bytes)) == expected);

    const std::string narrowed = Utf8ToCp1251(bytes);
    FUZZ_CHECK(narrowed.size() <= bytes.size());
    FUZZ_CHECK(Utf8ToCp1251(Cp1251ToUtf8(narrowed)) == narrowed);

    size_t decoded = 0;
    for (size_t pos = 0; pos < bytes.size(); ++decoded) {
        const size_t before = pos;
        const uint32_t cp = DecodeUtf8(bytes, pos);
        FUZZ_CHECK(pos > before && pos <= bytes.size() && cp <= 0x10FFFF);
    }
    FUZZ_CHECK(decoded == narrowed.size());
    return 0;
}
