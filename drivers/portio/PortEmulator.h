// Emulated panels on the parallel port, for tests (in process) and for the port library's emu
// back end, which writes what the panel shows to a state file.
//
// State file: UTF-8 text, '\n' after every line, replaced atomically (write then rename).
//
// HD44780 (emu:hd44780:ROWSxCOLS:STATEFILE):
//   line 1           "hd44780 ROWSxCOLS on" or "... off" ("on" only when every controller has
//                    its display on), e.g. "hd44780 4x20 on"
//   next ROWS lines  "|" + COLS cells + "|": each cell is the panel code at that place after the
//                    address map and display shift, shown as
//                      0x20..0x7E except '\'     the ASCII character
//                      0x00..0x0F                ①..⑧ (custom character code & 7)
//                      Cyrillic ROM letters      the letter (Hd44780RomLetter), e.g. 0xA0 "Б"
//                      anything else             \xNN, two upper-case hex digits ('\' is \x5C)
//                    The rows show the memory contents even while the display is off.
//   next 8 lines     "cgram K: B0 B1 B2 B3 B4 B5 B6 B7", K = 0..7, the eight CGRAM bytes of
//                    custom character K, top row first, two upper-case hex digits each
//   40 x 4 panels    then 8 more lines "cgram2 K: ..." for the second controller (rows 3, 4)
//
//   hd44780 2x16 on
//   |Hello, world!   |
//   |①Пpивeт         |
//   cgram 0: 00 0A 1F 1F 0E 04 00 00
//   ...
//
// KS0108 (emu:ks0108:STATEFILE):
//   line 1           "ks0108 128x64 on" or "... off" ("on" only when both halves are on)
//   next 64 lines    128 characters each, '#' = pixel on, '.' = off, top line first, after the
//                    start line of each half; shown whether the display is on or not
//   next 8 lines     "|" + 21 cells + "|": text row r (pixel rows 8r..8r+7), cell c = pixel
//                    columns 6c..6c+4 matched against the 5 x 8 font with column 6c+5 blank;
//                    printable Windows-1251 characters as themselves, '?' for a cell that
//                    matches no glyph, other codes (controls, 0x7F for all pixels on, '\') as
//                    \xNN. Letters that share a glyph read as the first code (Latin 'A' for
//                    Cyrillic 'А', space for a blank cell).
#pragma once

#include "drivers/portio/EmulatedPanel.h"
#include "drivers/portio/Hd44780Panel.h"
#include "drivers/portio/Ks0108Panel.h"
