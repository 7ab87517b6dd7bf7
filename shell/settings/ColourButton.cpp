#include "shell/settings/ColourButton.h"

#include <QColorDialog>
#include <QPixmap>
#include <QPushButton>
#include <QVariant>

namespace orv {

namespace {
constexpr char kColourProperty[] = "orvanta3Colour";
} // namespace

QColor ColourOfSetting(int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int32_t SettingOfColour(const QColor& colour) {
    return colour.red() | colour.green() << 8 | colour.blue() << 16;
}

QPushButton* NewColourButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIconSize(QSize(48, 14));
    SetButtonColour(*button, 0);
    QObject::connect(button, &QPushButton::clicked, button, [button] {
        const QColor chosen = QColorDialog::getColor(
            ColourOfSetting(*ButtonColour(*button)), button, button->toolTip());
        if (chosen.isValid()) SetButtonColour(*button, SettingOfColour(chosen));
    });
    return button;
}

std::optional<int32_t> ButtonColour(const QWidget& button) {
    const QVariant colour = button.property(kColourProperty);
    if (!colour.isValid()) return std::nullopt;
    return colour.toInt();
}

// A system colour (top byte 0xFF) is kept as it is until the user picks another.
void SetButtonColour(QPushButton& button, int32_t bgr) {
    button.setProperty(kColourProperty, bgr);
    QPixmap swatch(button.iconSize());
    swatch.fill(ColourOfSetting(bgr));
    button.setIcon(swatch);
}

} // namespace orv
