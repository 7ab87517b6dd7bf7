#include "drivers/portio/Ks0108Panel.h"

#include "drivers/portio/Ks0108Instructions.h"
#include "font/Font5x8.h"
#include "base/Cp1251.h"

#include <cstdio>

namespace orv {

void TKs0108Controller::Latch(bool displayData, uint8_t bus) {
    if (displayData) {
        uint8_t& cell = ram_[page_][column_];
        if (cell != bus) ++revision_;
        cell = bus;
        column_ = (column_ + 1) & 63;
    } else if (bus == ks0108::kDisplayOff || bus == ks0108::kDisplayOn) {
        if (on_ != (bus == ks0108::kDisplayOn)) ++revision_;
        on_ = bus == ks0108::kDisplayOn;
    } else if (ks0108::IsSetColumn(bus)) {
        column_ = bus & ks0108::kColumnMask;
    } else if (ks0108::IsSetPage(bus)) {
        page_ = bus & ks0108::kPageMask;
    } else if (ks0108::IsSetStartLine(bus)) {
        const int line = bus & ks0108::kStartLineMask;
        if (startLine_ != line) ++revision_;
        startLine_ = line;
    }
}

TKs0108Panel::TKs0108Panel(bool chipSelectActiveLow, uint8_t initialControl)
    : TEmulatedPanel(initialControl), activeLow_(chipSelectActiveLow) {}

void TKs0108Panel::ControlChanged(uint8_t before, uint8_t after) {
    if ((before & 0x01) || !(after & 0x01)) return;
    const bool pin14High = !(after & 0x02);
    const bool pin16High = (after & 0x04) != 0;
    const bool displayData = !(after & 0x08);
    const bool left = activeLow_ ? !pin16High : pin14High;
    const bool right = activeLow_ ? !pin14High : pin16High;
    if (left) halves_[0].Latch(displayData, DataLatch());
    if (right) halves_[1].Latch(displayData, DataLatch());
}

bool TKs0108Panel::Pixel(int x, int y) const {
    const TKs0108Controller& half = halves_[x / 64 & 1];
    const int line = (y + half.StartLine()) % 64;
    return (half.Ram(line / 8, x % 64) >> (line % 8)) & 1;
}

int TKs0108Panel::CellCode(int row, int cell) const {
    const int x0 = cell * kCellWidth;
    TGlyph5x8 glyph{};
    for (int r = 0; r < 8; ++r) {
        const int y = row * 8 + r;
        if (Pixel(x0 + 5, y)) return -1;
        for (int c = 0; c < 5; ++c)
            if (Pixel(x0 + c, y)) glyph[r] |= static_cast<uint8_t>(0x10 >> c);
    }
    return Font5x8CodeOf(glyph);
}

namespace {

// Codes the text rows show as themselves; the rest are escaped.
bool ShownAsItself(uint8_t code) {
    const uint32_t cp = Cp1251ToUnicode(code);
    return code >= 0x20 && code != 0x7F && code != '\\' && cp != 0 && cp != 0xA0 && cp != 0xAD;
}

} // namespace

std::string TKs0108Panel::TextRow(int row) const {
    std::string text;
    for (int cell = 0; cell < kTextCols; ++cell) {
        const int code = CellCode(row, cell);
        if (code < 0) {
            text += '?';
        } else if (ShownAsItself(static_cast<uint8_t>(code))) {
            AppendUtf8(text, Cp1251ToUnicode(static_cast<uint8_t>(code)));
        } else {
            text += EscapedCode(static_cast<uint8_t>(code));
        }
    }
    return text;
}

uint64_t TKs0108Panel::Revision() const { return halves_[0].Revision() + halves_[1].Revision(); }

std::string TKs0108Panel::StateText() const {
    std::string text = DisplayOn() ? "ks0108 128x64 on\n" : "ks0108 128x64 off\n";
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) text += Pixel(x, y) ? '#' : '.';
        text += '\n';
    }
    for (int row = 0; row < kTextRows; ++row) text.append("|").append(TextRow(row)).append("|\n");
    return text;
}

} // namespace orv
