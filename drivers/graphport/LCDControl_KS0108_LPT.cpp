#include "drivers/graphport/LCDControl_KS0108_LPT.h"

#include "drivers/portio/Ks0108Instructions.h"
#include "font/Font5x8.h"

#include <algorithm>
#include <chrono>

namespace orv {

namespace {

constexpr int kPowerUpSleepMs = 100;
constexpr uint8_t kEnableIdle = 0x01;
constexpr uint8_t kInstruction = 0x08;

// The font as this library shows it; DefineChar changes it for every later driver object.
std::array<TGlyph5x8, 256>& LibraryFont() {
    static std::array<TGlyph5x8, 256> font = Font5x8();
    return font;
}

} // namespace

TLCDControl_KS0108_LPT::TLCDControl_KS0108_LPT() {
    SetPort("$378");
    SetRowCount(kRows);
    SetColCount(kCols);
    SetWriteDelay(1000);
    for (int code = 0; code < 256; ++code) BuildGlyph(static_cast<uint8_t>(code));
    for (auto& row : shownCodes_) row.fill(kNoCode);
}

TLCDControl_KS0108_LPT::~TLCDControl_KS0108_LPT() = default;

void TLCDControl_KS0108_LPT::SetColCount(int32_t) { Notify(OnColCountChange); }
void TLCDControl_KS0108_LPT::SetRowCount(int32_t) { Notify(OnRowCountChange); }

void TLCDControl_KS0108_LPT::BuildGlyph(uint8_t code) {
    const TGlyph5x8& glyph = LibraryFont()[code];
    TGlyphColumns& columns = glyphs_[code];
    for (int j = 0; j < 5; ++j) {
        uint8_t byte = 0;
        for (int r = 0; r < 8; ++r)
            if (glyph[r] & (0x10 >> j)) byte |= static_cast<uint8_t>(1u << r);
        columns[j] = byte;
    }
    columns[5] = 0;
}

int64_t TLCDControl_KS0108_LPT::NowMs() const {
    if (clock_) return clock_();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TLCDControl_KS0108_LPT::WriteInstruction(uint8_t code, uint8_t half) {
    {
        auto port = LockPort();
        port.WriteControl(half | kInstruction | kEnableIdle);
        port.WriteData(code);
        port.WriteControl(half | kInstruction);
        BusyWait(); // with the enable line up: a keypad probe must not touch the data lines
        port.WriteControl(half | kInstruction | kEnableIdle);
        port.WriteData(0x00);
    }
    RefreshIfDue();
}

void TLCDControl_KS0108_LPT::WriteData(uint8_t value) {
    const uint8_t half = column_ > 63 ? kRightHalf : kLeftHalf;
    {
        auto port = LockPort();
        port.WriteControl(half | kEnableIdle);
        port.WriteData(value);
        port.WriteControl(half);
        BusyWait();
        port.WriteControl(half | kEnableIdle);
    }
    const uint8_t next = column_ + 1;
    column_ = next > 127 ? 0 : next;
    if (column_ == 64) WriteInstruction(ks0108::kSetColumn, kRightHalf);
    RefreshIfDue();
}

void TLCDControl_KS0108_LPT::RefreshIfDue() {
    const int64_t now = NowMs();
    if (lastRefreshMs_ && now - *lastRefreshMs_ <= kRefreshPeriodMs) return;
    lastRefreshMs_ = now;
    WriteInstruction(ks0108::kDisplayOn, kLeftHalf);
    Sleep(kPowerUpSleepMs);
    WriteInstruction(ks0108::kDisplayOn, kRightHalf);
    WriteInstruction(ks0108::kSetStartLine, kLeftHalf);
    WriteInstruction(ks0108::kSetStartLine, kRightHalf);
}

void TLCDControl_KS0108_LPT::InitPanel() {
    for (auto& row : shownCodes_) row.fill(kNoCode);
    WriteInstruction(ks0108::kDisplayOn, kLeftHalf);
    Sleep(kPowerUpSleepMs);
    WriteInstruction(ks0108::kDisplayOn, kRightHalf);
    Sleep(kPowerUpSleepMs);
    WriteInstruction(ks0108::kSetStartLine, kLeftHalf);
    WriteInstruction(ks0108::kSetStartLine, kRightHalf);
}

void TLCDControl_KS0108_LPT::Clear() {
    if (!GetActive()) return;
    for (uint8_t p = 0; p < 8; ++p) {
        WriteInstruction(ks0108::kSetPage | p, kLeftHalf);
        WriteInstruction(ks0108::kSetPage | p, kRightHalf);
        WriteInstruction(ks0108::kSetColumn, kLeftHalf);
        column_ = 0;
        for (int i = 0; i < 128; ++i) WriteData(0x00);
    }
    column_ = 0;
    page_ = 0;
    for (auto& row : shownCodes_) row.fill(kNoCode);
    EndOfUpdate();
}

void TLCDControl_KS0108_LPT::SelectPage(uint8_t page) {
    page_ = page;
    WriteInstruction(ks0108::kSetPage | page_, kLeftHalf);
    WriteInstruction(ks0108::kSetPage | page_, kRightHalf);
}

void TLCDControl_KS0108_LPT::DrawCell(int cell, uint8_t code) {
    const auto x = static_cast<uint8_t>(cell * 6);
    column_ = x;
    if (x < 64)
        WriteInstruction(ks0108::kSetColumn | x, kLeftHalf);
    else
        WriteInstruction(static_cast<uint8_t>(ks0108::kSetColumn | (x - 64)), kRightHalf);
    for (uint8_t byte : glyphs_[code]) WriteData(byte);
    shownCodes_[page_][static_cast<size_t>(cell)] = code;
}

void TLCDControl_KS0108_LPT::WriteText(uint8_t col, uint8_t row, const char* text, size_t len) {
    if (!GetActive() || row < 1 || row > kRows) return;
    SelectPage(static_cast<uint8_t>(row - 1));
    for (size_t i = 0; i < len; ++i) {
        const int cell = col - 1 + static_cast<int>(i);
        if (cell < 0) continue;
        if (cell >= kCols) break;
        DrawCell(cell, static_cast<uint8_t>(text[i]));
    }
    EndOfUpdate();
}

void TLCDControl_KS0108_LPT::RedrawCode(uint8_t code) {
    bool drawn = false;
    for (uint8_t page = 0; page < kRows; ++page) {
        const auto& codes = shownCodes_[page];
        if (std::find(codes.begin(), codes.end(), code) == codes.end()) continue;
        SelectPage(page);
        for (int cell = 0; cell < kCols; ++cell)
            if (codes[static_cast<size_t>(cell)] == code) DrawCell(cell, code);
        drawn = true;
    }
    if (drawn) EndOfUpdate();
}

void TLCDControl_KS0108_LPT::DefineChar(uint8_t index, const uint8_t* pattern) {
    if (index > 7 || !pattern) return;
    const auto code = static_cast<uint8_t>(index + 1);
    TGlyph5x8& glyph = LibraryFont()[code];
    for (int r = 0; r < 8; ++r) glyph[r] = pattern[r] & 0x1F;
    const TGlyphColumns before = glyphs_[code];
    BuildGlyph(code);
    if (GetActive() && glyphs_[code] != before) RedrawCode(code);
}

} // namespace orv
