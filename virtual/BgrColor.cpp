#include "virtual/BgrColor.h"

namespace orv {

QColor BgrToColor(uint32_t value, const QPalette& palette) {
    if ((value >> 24) == 0xFF) {
        switch (value) {
        case kClBtnShadow: return palette.color(QPalette::Dark);
        case kClBtnHighlight: return palette.color(QPalette::Light);
        default: return palette.color(QPalette::Button);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

uint32_t ColorToBgr(const QColor& color) {
    return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
           static_cast<uint32_t>(color.blue()) << 16;
}

} // namespace orv
