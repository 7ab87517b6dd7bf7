// cbTransition: the ten screen transitions, of which only those the display plays can be
// chosen; the others are shown in grey and choosing one falls back to the first.
#pragma once

#include <QComboBox>

namespace orv {

class TTransitionChooser final : public QComboBox {
    Q_OBJECT
public:
    explicit TTransitionChooser(QWidget* parent = nullptr);

    // The names from the program's messages, as translated now.
    void ShowNames();

    static bool Selectable(int index);

protected:
    void showPopup() override;
};

} // namespace orv
