// Settings page "Сокращения" (tsShortcuts): the unit abbreviations of section "Shortcuts", each
// a combo box with the usual choices that also takes any text.
#pragma once

#include "host/SettingsValues.h"

#include <QWidget>

#include <array>

class QComboBox;

namespace orv {

class TShortcutsPage : public QWidget {
    Q_OBJECT
public:
    explicit TShortcutsPage(QWidget* parent = nullptr);

    void Fill(const TShortcutSettings& values);
    void Take(TShortcutSettings& values) const;

private:
    struct TShortcutControl;
    static const std::array<TShortcutControl, 10> kControls;
    std::array<QComboBox*, 10> combos_{};
};

} // namespace orv
