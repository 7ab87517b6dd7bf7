// The text forms of user-defined characters: stored glyph rows, slot requests with rows or a
// glyph name, and the character tables of a settings file.
#include "engine/Charsets.h"
#include "engine/CustomGlyph.h"
#include "fuzz/FuzzInput.h"
#include "base/IniFile.h"
#include "tests/engine/EngineFakes.h"

using namespace orv;
using namespace orv::test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    ParseGlyphByte(text);
    ParseMaskRows(text);
    if (const auto rows = ParseGlyphRows(text))
        FUZZ_CHECK(ParseGlyphRows(FormatGlyphRows(*rows)) == rows);
    for (const char c : text.substr(0, 16)) {
        if (const auto code = SlotCodeOfDigit(c)) FUZZ_CHECK(*code >= 1 && *code <= 8);
    }

    TRecordingDriver driver(4, 20);
    TCharsets charsets;
    charsets.SetDriver(&driver);
    charsets.LoadFrom(TIniDocument::Parse(text));
    FUZZ_CHECK(charsets.GlyphCount() >= kBuiltInGlyphCount &&
               charsets.GlyphCount() <= kMaxGlyphCount);
    for (int32_t request = -1; request <= 6; ++request) charsets.HandleRequest(request, text);
    for (int role = 0; role < kCharsetMappingCount; ++role) {
        const uint8_t code = charsets.Mapping(role);
        FUZZ_CHECK(code >= 1 && code <= 8);
    }
    std::string row(text.substr(0, 40));
    charsets.MapRow(row);
    for (const auto& define : driver.Defines) FUZZ_CHECK(define.Slot >= 0 && define.Slot < 8);

    TIniDocument saved;
    charsets.SaveTables(saved);
    charsets.SaveMapping(saved);
    TCharsets reloaded;
    reloaded.LoadFrom(saved);
    FUZZ_CHECK(reloaded.GlyphCount() == charsets.GlyphCount());
    return 0;
}
