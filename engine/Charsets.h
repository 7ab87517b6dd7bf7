// Character sets: the table of named glyphs, the eight user-defined character slots of the
// panel, the map from glyph entries to the display codes they were loaded at, and the mapping
// of bar-drawing roles to characters.
//
// One object lives for the whole run. The display thread (commands in values) and the main
// thread (start-up, requests, preview) use it, never at the same time.
#pragma once

#include "engine/CustomGlyph.h"

#include "base/ProgramSettingKeys.h"
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TLCDBaseControl;

namespace orv {

class TEngineClock;
class TIniDocument;
class TIniFile;

inline constexpr std::string_view kCustomCharsSection = "Custom chars";
inline constexpr std::string_view kNamedCharsSection = "Named chars";

// Told about every glyph loaded into a slot, so the virtual display's font can follow the
// panel. Called on the thread that loads the slot.
class TCustomCharObserver {
public:
    virtual ~TCustomCharObserver() = default;
    virtual void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) = 0;
};

// Charset requests from outside the display cycle (0..2 switch, 3 big clock, 4 slot from
// rows, 5 slot from a glyph name).
enum TCharsetRequest : int32_t {
    crSwitchHorizontal = 0,
    crSwitchVertical = 1,
    crSwitchUser = 2,
    crBigClock = 3,
    crDefineRows = 4,
    crDefineNamed = 5,
};

enum class TAddGlyphResult { Added, TableFull, InvalidName, DuplicateName };
enum class TDeleteGlyphResult { Deleted, BuiltIn, NoSuchEntry };

class TCharsets {
public:
    TCharsets();

    // Reads the tables; when "Custom chars" has no keys, the defaults are written to the file
    // first. Entries 1..24 are always the built-in sets, whatever the file holds.
    void Load(TIniFile& ini);
    void LoadFrom(const TIniDocument& doc);
    // The 24 default glyphs into "Custom chars", when that section has no keys.
    static void WriteDefaultsIfEmpty(TIniDocument& doc);

    // Saving, as two steps of the settings save: the glyph sections, and later the mapping.
    void SaveTables(TIniDocument& doc) const;
    void SaveMapping(TIniDocument& doc) const;

    // Where slot loads go: the current driver (may be null; used only while active) and the
    // virtual display's font (may be null).
    void SetDriver(TLCDBaseControl* driver) { driver_ = driver; }
    void SetObserver(TCustomCharObserver* observer) { observer_ = observer; }

    // Loads charset k (0 horizontal bar, 1 vertical bar, 2 user set) into the eight slots;
    // other k are only recorded.
    void SwitchCharset(uint8_t k);
    // The six big-clock glyphs into slots 0..5; charset 2 becomes the active one.
    void LoadBigClock();
    // Loads rows into the slot of display code 1..8; other codes do nothing.
    void DefineSlot(uint8_t code, const TGlyphRows& rows);
    // Loads the named glyph; false (nothing loaded) when the name is not in the table.
    bool DefineSlotByName(uint8_t code, std::string_view name);
    // A request as the outside interface sends it: text "'n;x1F;...'" for 4, "'n;name'" for 5.
    // False when the request or its text is not understood.
    bool HandleRequest(int32_t request, std::string_view text);

    // Every character below 32 becomes the display code its glyph entry was loaded at.
    void MapRow(std::string& row) const;

    uint8_t CharMap(uint8_t entry) const { return charMap_[entry]; }
    uint8_t ActiveCharset() const { return activeCharset_; }

    // The table: entries 1..GlyphCount().
    int GlyphCount() const { return static_cast<int>(glyphs_.size()) - 1; }
    const TCustomGlyph* Glyph(int entry) const;
    // Entry of a glyph name (ASCII case ignored, as in the settings file), or 0.
    int FindGlyph(std::string_view name) const;
    // Glyph editor operations. New glyphs are blank; only entries 25 and up can be deleted.
    TAddGlyphResult AddGlyph(std::string_view name);
    TDeleteGlyphResult DeleteGlyph(int entry);
    bool SetGlyphRows(int entry, const TGlyphRows& rows);

    // The glyph table and the bar mapping of edited, a copy changed by the settings page; the
    // slots, CharMap and the active charset stay as they are.
    void AdoptTables(const TCharsets& edited);

    // Mapping role 0..23 -> display code 1..8.
    uint8_t Mapping(int role) const;
    void SetMapping(int role, uint8_t code);
    // Character drawn for horizontal-bar piece hb_0..hb_7.
    char BarChar(int piece) const {
        return static_cast<char>(Mapping(kHorizontalBarRoles + piece));
    }

private:
    void LoadSlot(uint8_t slot, const TGlyphRows& rows);
    void AppendGlyph(std::string_view name, const TGlyphRows& rows);

    std::vector<TCustomGlyph> glyphs_; // entry 0 is an unused placeholder
    std::array<uint8_t, 256> charMap_{};
    uint8_t activeCharset_ = 0;
    std::array<uint8_t, kCharsetMappingCount> mapping_{};
    TLCDBaseControl* driver_ = nullptr;
    TCustomCharObserver* observer_ = nullptr;
};

// The panel's character sets at program start: the bar set, a pause of 200 ms, then the user
// set that the greeting lines show.
void StartUpCharsets(TCharsets& charsets, TEngineClock& clock);

} // namespace orv
