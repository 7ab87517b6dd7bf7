#include "engine/Charsets.h"

#include "engine/EngineClock.h"
#include "abi/ConstUnit.h"
#include "base/IniFile.h"
#include "base/TextUtil.h"

namespace orv {

namespace {

constexpr TGlyphRows kFullBlock = {0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f};

TGlyphRows BuiltInRows(const TBuiltInGlyph& glyph) { return *ParseGlyphRows(glyph.Rows); }

// A glyph name must survive as a key of the settings file.
bool IsStorableName(std::string_view name) {
    if (name.empty() || name != Trim(name)) return false;
    if (name.front() == '[' || name.front() == ';' || name.front() == '#') return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32 || c == '=') return false;
    return true;
}

// "'n;rest'" -> display code n and rest; nullopt when the slot is not a digit 1..8.
std::optional<std::pair<uint8_t, std::string>> SplitSlotRequest(std::string_view text) {
    std::string plain;
    for (char c : text)
        if (c != '\'') plain += c;
    if (plain.empty()) return std::nullopt;
    const auto code = SlotCodeOfDigit(plain.front());
    if (!code) return std::nullopt;
    return std::pair{*code, plain.size() > 2 ? plain.substr(2) : std::string()};
}

} // namespace

TCharsets::TCharsets() {
    glyphs_.resize(1);
    for (const TBuiltInGlyph& glyph : kBuiltInGlyphs) AppendGlyph(glyph.Name, BuiltInRows(glyph));
    for (size_t i = 0; i < mapping_.size(); ++i) mapping_[i] = kCharsetMappingKeys[i].Default;
}

void TCharsets::WriteDefaultsIfEmpty(TIniDocument& doc) {
    if (!doc.Keys(kCustomCharsSection).empty()) return;
    for (const auto& glyph : kBuiltInGlyphs)
        doc.WriteString(kCustomCharsSection, glyph.Name, glyph.Rows);
}

void TCharsets::Load(TIniFile& ini) {
    TIniDocument doc = ini.Read();
    if (doc.Keys(kCustomCharsSection).empty()) {
        ini.Update(&TCharsets::WriteDefaultsIfEmpty);
        doc = ini.Read();
    }
    LoadFrom(doc);
}

void TCharsets::LoadFrom(const TIniDocument& doc) {
    glyphs_.resize(1);
    // Entries 1..24 are the built-in sets in their fixed order. The file may change the rows
    // of the bar sets; the user set keeps its built-in rows.
    for (const TBuiltInGlyph& glyph : kBuiltInGlyphs) {
        TGlyphRows rows = BuiltInRows(glyph);
        if (glyphs_.size() < kUserSetFirstEntry) { // the next entry is a bar set's
            if (auto value = doc.Find(kCustomCharsSection, glyph.Name))
                rows = ParseGlyphRows(*value).value_or(rows);
        }
        AppendGlyph(glyph.Name, rows);
    }
    // Any other key of either section follows, "Custom chars" first; names stay unique.
    for (auto section : {kCustomCharsSection, kNamedCharsSection}) {
        for (const auto& key : doc.Keys(section)) {
            if (GlyphCount() >= kMaxGlyphCount) break;
            if (FindGlyph(key) != 0 || !IsStorableName(key)) continue;
            const auto value = doc.Find(section, key);
            AppendGlyph(key, ParseGlyphRows(value.value_or("")).value_or(kFullBlock));
        }
    }
    for (size_t i = 0; i < mapping_.size(); ++i) {
        const TCharsetMappingKey& key = kCharsetMappingKeys[i];
        const int32_t code = doc.ReadInteger(kCharsetMappingSection, key.Key, key.Default);
        mapping_[i] =
            code >= 1 && code <= kCustomSlotCount ? static_cast<uint8_t>(code) : key.Default;
    }
}

void TCharsets::SaveTables(TIniDocument& doc) const {
    doc.EraseSection(kCustomCharsSection);
    doc.EraseSection(kNamedCharsSection);
    for (size_t e = 1; e < glyphs_.size(); ++e) {
        const auto section = e <= kBuiltInGlyphCount ? kCustomCharsSection : kNamedCharsSection;
        doc.WriteString(section, glyphs_[e].Name, FormatGlyphRows(glyphs_[e].Rows));
    }
}

void TCharsets::SaveMapping(TIniDocument& doc) const {
    for (size_t i = 0; i < mapping_.size(); ++i)
        doc.WriteInteger(kCharsetMappingSection, kCharsetMappingKeys[i].Key, mapping_[i]);
}

void TCharsets::LoadSlot(uint8_t slot, const TGlyphRows& rows) {
    if (driver_ && driver_->GetActive()) driver_->DefineChar(slot, rows.data());
    if (observer_) observer_->CustomCharLoaded(static_cast<uint8_t>(slot + 1), rows);
}

void TCharsets::SwitchCharset(uint8_t k) {
    activeCharset_ = k;
    if (k > 2) return;
    for (uint8_t s = 0; s < kCustomSlotCount; ++s) {
        const size_t g = 8u * k + s + 1;
        charMap_[g] = static_cast<uint8_t>(s + 1);
        LoadSlot(s, glyphs_[g].Rows);
    }
}

void TCharsets::LoadBigClock() {
    for (uint8_t s = 0; s < kBigClockGlyphs.size(); ++s) LoadSlot(s, kBigClockGlyphs[s]);
    activeCharset_ = 2;
}

void TCharsets::DefineSlot(uint8_t code, const TGlyphRows& rows) {
    if (code < 1 || code > kCustomSlotCount) return;
    LoadSlot(static_cast<uint8_t>(code - 1), rows);
}

bool TCharsets::DefineSlotByName(uint8_t code, std::string_view name) {
    const int entry = FindGlyph(name);
    if (entry == 0) return false;
    DefineSlot(code, Glyph(entry)->Rows);
    return true;
}

bool TCharsets::HandleRequest(int32_t request, std::string_view text) {
    switch (request) {
    case crSwitchHorizontal:
    case crSwitchVertical:
    case crSwitchUser: SwitchCharset(static_cast<uint8_t>(request)); return true;
    case crBigClock: LoadBigClock(); return true;
    case crDefineRows:
        if (auto slot = SplitSlotRequest(text)) {
            DefineSlot(slot->first, ParseMaskRows(slot->second));
            return true;
        }
        return false;
    case crDefineNamed:
        if (auto slot = SplitSlotRequest(text)) return DefineSlotByName(slot->first, slot->second);
        return false;
    default: return false;
    }
}

void TCharsets::MapRow(std::string& row) const {
    for (char& c : row) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32) c = static_cast<char>(charMap_[code]);
    }
}

const TCustomGlyph* TCharsets::Glyph(int entry) const {
    return entry >= 1 && entry <= GlyphCount() ? &glyphs_[static_cast<size_t>(entry)] : nullptr;
}

int TCharsets::FindGlyph(std::string_view name) const {
    for (size_t e = 1; e < glyphs_.size(); ++e)
        if (EqualsNoCase(glyphs_[e].Name, name)) return static_cast<int>(e);
    return 0;
}

TAddGlyphResult TCharsets::AddGlyph(std::string_view name) {
    if (GlyphCount() >= kMaxGlyphCount) return TAddGlyphResult::TableFull;
    if (!IsStorableName(name)) return TAddGlyphResult::InvalidName;
    if (FindGlyph(name) != 0) return TAddGlyphResult::DuplicateName;
    AppendGlyph(name, TGlyphRows{});
    return TAddGlyphResult::Added;
}

TDeleteGlyphResult TCharsets::DeleteGlyph(int entry) {
    if (entry < 1 || entry > GlyphCount()) return TDeleteGlyphResult::NoSuchEntry;
    if (entry <= kBuiltInGlyphCount) return TDeleteGlyphResult::BuiltIn;
    glyphs_.erase(glyphs_.begin() + entry);
    return TDeleteGlyphResult::Deleted;
}

bool TCharsets::SetGlyphRows(int entry, const TGlyphRows& rows) {
    if (entry < 1 || entry > GlyphCount()) return false;
    glyphs_[static_cast<size_t>(entry)].Rows = rows;
    return true;
}

void TCharsets::AdoptTables(const TCharsets& edited) {
    glyphs_ = edited.glyphs_;
    mapping_ = edited.mapping_;
}

uint8_t TCharsets::Mapping(int role) const {
    return role >= 0 && role < kCharsetMappingCount ? mapping_[static_cast<size_t>(role)] : 0;
}

void TCharsets::SetMapping(int role, uint8_t code) {
    if (role >= 0 && role < kCharsetMappingCount && code >= 1 && code <= kCustomSlotCount)
        mapping_[static_cast<size_t>(role)] = code;
}

void TCharsets::AppendGlyph(std::string_view name, const TGlyphRows& rows) {
    glyphs_.push_back({std::string(name), rows});
}

void StartUpCharsets(TCharsets& charsets, TEngineClock& clock) {
    charsets.SwitchCharset(0);
    clock.SleepMs(200);
    charsets.SwitchCharset(2);
}

} // namespace orv
