// A button that shows a colour of the settings file (0x00BBGGRR) and lets the user pick another.
#pragma once

#include <QColor>
#include <QPushButton>

#include <cstdint>

namespace orv {

QColor ColourOfSetting(int32_t bgr);
int32_t SettingOfColour(const QColor& colour);

class TColourButton : public QPushButton {
    Q_OBJECT
public:
    explicit TColourButton(QWidget* parent = nullptr);

    int32_t Colour() const { return colour_; }
    void SetColour(int32_t bgr);

private:
    void Choose();

    int32_t colour_ = 0;
};

} // namespace orv
