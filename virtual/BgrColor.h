// Colours as the settings keep them: 0x00BBGGRR values; a top byte 0xFF names a system colour
// (0xFF00000F button face, 0xFF000010 button shadow, 0xFF000014 button highlight), which the
// widget's palette answers.
#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>

namespace orv {

inline constexpr uint32_t kClBtnFace = 0xFF00000F;
inline constexpr uint32_t kClBtnShadow = 0xFF000010;
inline constexpr uint32_t kClBtnHighlight = 0xFF000014;

QColor BgrToColor(uint32_t value, const QPalette& palette = QPalette());
// The 0x00BBGGRR value of a colour (alpha dropped).
uint32_t ColorToBgr(const QColor& color);

} // namespace orv
