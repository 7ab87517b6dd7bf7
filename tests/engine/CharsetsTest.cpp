#include "engine/Charsets.h"
#include "base/IniFile.h"
#include "tests/engine/EngineFakes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

TGlyphRows Rows(const char* stored) { return *ParseGlyphRows(stored); }

TGlyphRows BuiltIn(int entry) { return Rows(kBuiltInGlyphs[entry - 1].Rows); }

} // namespace

TEST(CharsetTable, EmptySectionIsFilledWithTheDefaultsAndLoadsAs24Glyphs) {
    TempDir dir;
    const std::string path = dir / "Orvanta3.ini";
    WriteText(path, "[Common]\nBase timeout=250\n[Custom chars]\n");
    TIniFile ini(path);
    TCharsets charsets;
    charsets.Load(ini);

    const auto doc = ini.Read();
    ASSERT_EQ(doc.Keys("Custom chars").size(), 24u);
    EXPECT_EQ(doc.ReadString("Custom chars", "hb_0", ""), "$0C,$08,$08,$08,$08,$08,$08,$0C");
    EXPECT_EQ(doc.ReadString("Custom chars", "vb_2", ""), "$00,$00,$1f,$1f,$1f,$1f,$1f,$1f");
    EXPECT_EQ(doc.ReadInteger("Common", "Base timeout", 0), 250) << "other sections kept";
    ASSERT_EQ(charsets.GlyphCount(), 24);
    EXPECT_EQ(charsets.Glyph(1)->Name, "hb_0");
    EXPECT_EQ(charsets.Glyph(9)->Name, "vb_0");
    EXPECT_EQ(charsets.Glyph(24)->Name, "cust_8");
    EXPECT_EQ(charsets.Glyph(11)->Rows, (TGlyphRows{0, 0, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f}));
    EXPECT_EQ(charsets.Glyph(25), nullptr);

    // A second load finds the keys and writes nothing.
    WriteText(path, ReadText(path) + "; marker\n");
    charsets.Load(ini);
    EXPECT_NE(ReadText(path).find("; marker"), std::string::npos);
}

TEST(CharsetTable, BuiltInSetsHoldEntries1To24WhateverTheFileSays) {
    const auto doc = TIniDocument::Parse("[Custom chars]\n"
                                         "extra=$01,$02,$03,$04,$05,$06,$07,$08\n"
                                         "hb_1=$1F,$1F,$1F,$1F,$1F,$1F,$1F,$1F\n"
                                         "cust_3=$1F,$1F,$1F,$1F,$1F,$1F,$1F,$1F\n"
                                         "hb_2=$0C,$08\n"
                                         "vb_0=$00,$00,zz,$00,$00,$00,$00,$00\n"
                                         "[Named chars]\n"
                                         "arrow=4,14,31,4,4,4,4,0\n"
                                         "broken=$0C\n"
                                         "EXTRA=$1F,$1F,$1F,$1F,$1F,$1F,$1F,$1F\n");
    TCharsets charsets;
    charsets.LoadFrom(doc);
    ASSERT_EQ(charsets.GlyphCount(), 27);
    EXPECT_EQ(charsets.Glyph(2)->Rows, Rows("$1F,$1F,$1F,$1F,$1F,$1F,$1F,$1F"))
        << "bar sets follow the file";
    EXPECT_EQ(charsets.Glyph(19)->Rows, BuiltIn(19)) << "cust_3 keeps its built-in rows";
    EXPECT_EQ(charsets.Glyph(3)->Rows, BuiltIn(3)) << "two rows only: not a glyph";
    EXPECT_EQ(charsets.Glyph(9)->Rows, BuiltIn(9)) << "an item that is no number: not a glyph";
    EXPECT_EQ(charsets.Glyph(25)->Name, "extra")
        << "unknown keys of Custom chars follow the built-ins";
    EXPECT_EQ(charsets.Glyph(26)->Name, "arrow");
    EXPECT_EQ(charsets.Glyph(26)->Rows, (TGlyphRows{4, 14, 31, 4, 4, 4, 4, 0}));
    EXPECT_EQ(charsets.Glyph(27)->Rows, Rows("$1F,$1F,$1F,$1F,$1F,$1F,$1F,$1F"));
    EXPECT_EQ(charsets.FindGlyph("ARROW"), 26);
}

TEST(CharsetTable, CreatedGlyphSurvivesSaveAndReload) {
    TempDir dir;
    TIniFile ini(dir / "Orvanta3.ini");
    TCharsets charsets;
    charsets.Load(ini);
    ASSERT_EQ(charsets.AddGlyph("smile"), TAddGlyphResult::Added);
    ASSERT_TRUE(charsets.SetGlyphRows(25, TGlyphRows{0, 10, 0, 17, 14, 0, 0, 0}));
    charsets.SetMapping(0, 5);
    ASSERT_TRUE(ini.Update([&](TIniDocument& doc) {
        charsets.SaveTables(doc);
        charsets.SaveMapping(doc);
    }));

    const auto doc = ini.Read();
    EXPECT_EQ(doc.ReadString("Named chars", "smile", ""), "$00,$0A,$00,$11,$0E,$00,$00,$00");
    EXPECT_EQ(doc.Keys("Custom chars").size(), 24u);
    EXPECT_EQ(doc.ReadString("Custom chars", "vb_2", ""), "$00,$00,$1F,$1F,$1F,$1F,$1F,$1F");
    EXPECT_EQ(doc.Keys("Custom charset mapping").size(), 24u);
    EXPECT_EQ(doc.ReadInteger("Custom charset mapping", "vb_0", 0), 8);

    TCharsets reloaded;
    reloaded.Load(ini);
    ASSERT_EQ(reloaded.GlyphCount(), 25);
    EXPECT_EQ(reloaded.Glyph(25)->Rows, (TGlyphRows{0, 10, 0, 17, 14, 0, 0, 0}));
    EXPECT_EQ(reloaded.Mapping(0), 5);

    // Deleting it and saving again empties "Named chars".
    EXPECT_EQ(reloaded.DeleteGlyph(25), TDeleteGlyphResult::Deleted);
    ini.Update([&](TIniDocument& d) { reloaded.SaveTables(d); });
    EXPECT_TRUE(ini.Read().Keys("Named chars").empty());
}

TEST(CharsetTable, EditorRefusesWhatCannotBeStored) {
    TCharsets charsets;
    EXPECT_EQ(charsets.AddGlyph(""), TAddGlyphResult::InvalidName);
    EXPECT_EQ(charsets.AddGlyph("a=b"), TAddGlyphResult::InvalidName);
    EXPECT_EQ(charsets.AddGlyph(" padded"), TAddGlyphResult::InvalidName);
    EXPECT_EQ(charsets.AddGlyph("HB_0"), TAddGlyphResult::DuplicateName);
    EXPECT_EQ(charsets.DeleteGlyph(24), TDeleteGlyphResult::BuiltIn);
    EXPECT_EQ(charsets.DeleteGlyph(25), TDeleteGlyphResult::NoSuchEntry);
    for (int i = 25; i <= 255; ++i)
        ASSERT_EQ(charsets.AddGlyph("g" + std::to_string(i)), TAddGlyphResult::Added);
    EXPECT_EQ(charsets.AddGlyph("one_more"), TAddGlyphResult::TableFull);
    EXPECT_EQ(charsets.DeleteGlyph(100), TDeleteGlyphResult::Deleted);
    EXPECT_EQ(charsets.Glyph(100)->Name, "g101") << "later entries move down";
}

TEST(CharsetTable, AnEditedCopyReplacesTablesAndMappingButNoSlot) {
    TCharsets running;
    TRecordingDriver driver;
    running.SetDriver(&driver);
    running.SwitchCharset(1);
    driver.Defines.clear();

    TCharsets edited;
    edited.AdoptTables(running);
    ASSERT_EQ(edited.AddGlyph("arrow"), TAddGlyphResult::Added);
    edited.SetGlyphRows(3, Rows("$01,$02,$03,$04,$05,$06,$07,$08"));
    edited.SetMapping(2, 7);
    running.AdoptTables(edited);

    EXPECT_EQ(running.FindGlyph("arrow"), 25);
    EXPECT_EQ(running.Glyph(3)->Rows, Rows("$01,$02,$03,$04,$05,$06,$07,$08"));
    EXPECT_EQ(running.BarChar(2), 7);
    EXPECT_TRUE(driver.Defines.empty()) << "no slot is loaded again";
    EXPECT_EQ(running.ActiveCharset(), 1);
    EXPECT_EQ(running.CharMap(9), 1) << "where glyphs were loaded stays known";
}

TEST(CharsetMapping, OutOfRangeOrTextValuesFallBackToDefaults) {
    const auto doc =
        TIniDocument::Parse("[Custom charset mapping]\nhb_0=3\nhb_1=9\nhb_2=x\nvb_0=0\n");
    TCharsets charsets;
    charsets.LoadFrom(doc);
    EXPECT_EQ(charsets.Mapping(0), 3);
    EXPECT_EQ(charsets.Mapping(1), 2);
    EXPECT_EQ(charsets.Mapping(2), 3);
    EXPECT_EQ(charsets.Mapping(8), 8);
    EXPECT_EQ(charsets.Mapping(15), 1);
    EXPECT_EQ(charsets.BarChar(0), '\x03');
}

TEST(CharsetSwitch, LoadsEightSlotsMapsGlyphsAndMirrorsTheFont) {
    TCharsets charsets;
    TRecordingDriver driver;
    TRecordingObserver font;
    charsets.SetDriver(&driver);
    charsets.SetObserver(&font);

    charsets.SwitchCharset(1);
    ASSERT_EQ(driver.Defines.size(), 8u);
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(driver.Defines[s].Slot, s);
        EXPECT_EQ(driver.Defines[s].Rows, BuiltIn(9 + s));
        EXPECT_EQ(font.Loaded[s].first, s + 1);
    }
    EXPECT_EQ(charsets.ActiveCharset(), 1);

    std::string row = "\x09\x10\x19\x01 a\xE9";
    charsets.MapRow(row);
    EXPECT_EQ(row, std::string("\x01\x08\x00\x00 a\xE9", 7))
        << "codes 9 and 16 sit at slots 1 and 8; 25 and 1 were never loaded";

    charsets.SwitchCharset(0);
    charsets.SwitchCharset(2);
    row = "\x01\x11\x18\x09";
    charsets.MapRow(row);
    EXPECT_EQ(row, "\x01\x01\x08\x01");

    driver.Active = false;
    driver.Defines.clear();
    font.Loaded.clear();
    charsets.SwitchCharset(0);
    EXPECT_TRUE(driver.Defines.empty()) << "an inactive driver gets nothing";
    EXPECT_EQ(font.Loaded.size(), 8u) << "the virtual display still follows";

    charsets.SwitchCharset(7);
    EXPECT_EQ(charsets.ActiveCharset(), 7);
    EXPECT_EQ(font.Loaded.size(), 8u) << "other charsets load nothing";
}

TEST(CharsetSwitch, StartUpLeavesBarAndUserSetsMapped) {
    TCharsets charsets;
    TFakeClock clock;
    StartUpCharsets(charsets, clock);
    EXPECT_EQ(clock.Sleeps, std::vector<int64_t>{200});
    EXPECT_EQ(charsets.ActiveCharset(), 2);
    for (int g = 1; g <= 8; ++g) {
        EXPECT_EQ(charsets.CharMap(static_cast<uint8_t>(g)), g);
        EXPECT_EQ(charsets.CharMap(static_cast<uint8_t>(g + 16)), g);
        EXPECT_EQ(charsets.CharMap(static_cast<uint8_t>(g + 8)), 0);
    }
}

TEST(CharsetSlots, BigClockNamedAndMaskRequestsLoadSingleSlots) {
    TCharsets charsets;
    TRecordingDriver driver;
    charsets.SetDriver(&driver);

    charsets.LoadBigClock();
    ASSERT_EQ(driver.Defines.size(), 6u);
    EXPECT_EQ(driver.Defines[0].Rows, (TGlyphRows{0x1c, 0x1c, 0x1c, 0x1c, 0, 0, 0, 0}));
    EXPECT_EQ(driver.Defines[5].Slot, 5);
    EXPECT_EQ(driver.Defines[5].Rows, (TGlyphRows{0, 0, 0, 0, 0xe, 0xe, 0xe, 0xe}));
    EXPECT_EQ(charsets.ActiveCharset(), 2);
    EXPECT_EQ(charsets.CharMap(1), 0) << "slot loads leave the map alone";

    driver.Defines.clear();
    EXPECT_TRUE(charsets.HandleRequest(crDefineRows, "'3;x1F;x11;x11;x11;x11;x11;xFF;x1F'"));
    EXPECT_TRUE(charsets.HandleRequest(crDefineNamed, "'8;vb_3'"));
    EXPECT_TRUE(charsets.HandleRequest(crDefineRows, "'1;x01;2'")) << "missing rows read as 0";
    ASSERT_EQ(driver.Defines.size(), 3u);
    EXPECT_EQ(driver.Defines[0].Slot, 2);
    EXPECT_EQ(driver.Defines[0].Rows, (TGlyphRows{0x1f, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1f, 0x1f}));
    EXPECT_EQ(driver.Defines[1].Slot, 7);
    EXPECT_EQ(driver.Defines[1].Rows, BuiltIn(12));
    EXPECT_EQ(driver.Defines[2].Rows, (TGlyphRows{1, 2, 0, 0, 0, 0, 0, 0}));

    EXPECT_FALSE(charsets.HandleRequest(crDefineNamed, "'2;no_such_glyph'"));
    EXPECT_FALSE(charsets.HandleRequest(crDefineRows, "'9;x00'"));
    EXPECT_FALSE(charsets.HandleRequest(crDefineRows, "'0;x00'"));
    EXPECT_FALSE(charsets.HandleRequest(crDefineNamed, "''"));
    EXPECT_FALSE(charsets.HandleRequest(6, ""));
    EXPECT_EQ(driver.Defines.size(), 3u);
}
