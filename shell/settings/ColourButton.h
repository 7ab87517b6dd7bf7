// A push button that shows a colour of the settings file (0x00BBGGRR) and lets the user pick
// another. It stays a plain QPushButton, so its hint takes its key from the language file.
#pragma once

#include <cstdint>
#include <optional>

class QPushButton;
class QWidget;

namespace orv {

QPushButton* NewColourButton(QWidget* parent);
// The colour a button of NewColourButton holds; nullopt for any other widget.
std::optional<int32_t> ButtonColour(const QWidget& button);
void SetButtonColour(QPushButton& button, int32_t bgr);

} // namespace orv
