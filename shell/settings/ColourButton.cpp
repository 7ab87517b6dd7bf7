#include "shell/settings/ColourButton.h"

#include <QColorDialog>
#include <QPixmap>

namespace orv {

QColor ColourOfSetting(int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int32_t SettingOfColour(const QColor& colour) {
    return colour.red() | colour.green() << 8 | colour.blue() << 16;
}

TColourButton::TColourButton(QWidget* parent) : QPushButton(parent) {
    setIconSize(QSize(48, 14));
    SetColour(0);
    connect(this, &QPushButton::clicked, this, &TColourButton::Choose);
}

void TColourButton::SetColour(int32_t bgr) {
    colour_ = bgr; // a system colour is kept as it is until the user picks another
    QPixmap swatch(iconSize());
    swatch.fill(ColourOfSetting(colour_));
    setIcon(swatch);
}

void TColourButton::Choose() {
    const QColor chosen = QColorDialog::getColor(ColourOfSetting(colour_), this, toolTip());
    if (chosen.isValid()) SetColour(SettingOfColour(chosen));
}

} // namespace orv
