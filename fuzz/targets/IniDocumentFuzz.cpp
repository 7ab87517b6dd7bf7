// INI text as users edit it: parsing, every read, a write of each kind, and the written text
// parsed again.
#include "fuzz/FuzzInput.h"
#include "base/IniFile.h"

#include <algorithm>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    TIniDocument doc = TIniDocument::Parse(text);
    for (const auto& section : doc.Sections()) {
        FUZZ_CHECK(doc.HasSection(section));
        for (const auto& key : doc.Keys(section)) {
            FUZZ_CHECK(doc.Find(section, key).has_value());
            doc.ReadInteger(section, key, 0);
            doc.ReadBool(section, key, false);
        }
    }
    // Written and read again, the document reads the same (a line's last carriage return may
    // go, which reading ignores anyway).
    const TIniDocument again = TIniDocument::Parse(doc.Serialize());
    FUZZ_CHECK(again.Sections() == doc.Sections());
    for (const auto& section : doc.Sections()) {
        FUZZ_CHECK(again.Keys(section) == doc.Keys(section));
        for (const auto& key : doc.Keys(section))
            FUZZ_CHECK(again.Find(section, key) == doc.Find(section, key));
    }

    // Names and a value taken from the input itself, line breaks and all.
    const auto pieces = fuzz::Split(text, '=');
    const std::string_view section = pieces.size() > 1 ? pieces[0] : "Screen 1";
    const std::string_view key = pieces.size() > 2 ? pieces[1] : "Line1";
    doc.WriteString(section, key, pieces.back());
    doc.WriteBool(section, "Show", size % 2 == 0);
    // Any value reads back as written (line breaks become blanks).
    std::string value(pieces.back());
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    doc.WriteString("Fuzz", "Value", value);
    doc.WriteInteger("Fuzz", "Timeout", static_cast<int32_t>(size) - 100);
    const TIniDocument reread = TIniDocument::Parse(doc.Serialize());
    FUZZ_CHECK(reread.ReadString("Fuzz", "Value", "") == value);
    FUZZ_CHECK(reread.ReadInteger("Fuzz", "Timeout", 0) == static_cast<int32_t>(size) - 100);
    doc.DeleteKey(section, key);
    doc.EraseSection(section);
    FUZZ_CHECK(!doc.HasSection(section));
    return 0;
}
