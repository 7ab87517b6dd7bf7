#include "shell/settings/ColourButton.h"

#include "virtual/BgrColor.h"

#include <QColorDialog>
#include <QPixmap>
#include <QPushButton>
#include <QVariant>

namespace orv {

namespace {
constexpr char kColourProperty[] = "orvanta3Colour";
} // namespace

QPushButton* NewColourButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIconSize(QSize(48, 14));
    SetButtonColour(*button, 0);
    QObject::connect(button, &QPushButton::clicked, button, [button] {
        const QColor chosen = QColorDialog::getColor(
            BgrToColor(static_cast<uint32_t>(*ButtonColour(*button)), button->palette()), button,
            button->toolTip());
        if (chosen.isValid()) SetButtonColour(*button, static_cast<int32_t>(ColorToBgr(chosen)));
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
    swatch.fill(BgrToColor(static_cast<uint32_t>(bgr), button.palette()));
    button.setIcon(swatch);
}

} // namespace orv
