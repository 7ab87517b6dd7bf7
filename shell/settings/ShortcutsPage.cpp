#include "shell/settings/ShortcutsPage.h"

#include "base/ui/NamedControl.h"

#include <QComboBox>
#include <QFormLayout>

#include <initializer_list>

namespace orv {

struct TShortcutsPage::TShortcutControl {
    const char* Name;
    const char* Label;
    std::string TShortcutSettings::*Field;
    std::initializer_list<const char*> Choices;
};

const std::array<TShortcutsPage::TShortcutControl, 10> TShortcutsPage::kControls = {{
    {"cbShortBit", "Бит:", &TShortcutSettings::Bit, {"бит", "bit", "б", "b"}},
    {"cbShortByte", "Байт:", &TShortcutSettings::Byte, {"байт", "byte", "б", "b"}},
    {"cbKilo", "Кило:", &TShortcutSettings::Kilo, {"кило", "kilo", "k", "K"}},
    {"cbMega", "Мега:", &TShortcutSettings::Mega, {"мега", "mega", "M"}},
    {"cbGiga", "Гига:", &TShortcutSettings::Giga, {"гига", "giga", "Г", "G"}},
    {"cbPerSec", "В секунду:", &TShortcutSettings::PerSec, {"в сек", "/сек", "/c", "ps", "/sec"}},
    {"cbHertz", "Герц:", &TShortcutSettings::Hertz, {"герц", "Гц", "Hertz", "Hz"}},
    {"cbHour", "Часы:", &TShortcutSettings::Hour, {"час", "hour", "ч", "h"}},
    {"cbMin", "Минуты:", &TShortcutSettings::Min, {"m", "м", "min", "мин"}},
    {"cbSec", "Секунды:", &TShortcutSettings::Sec, {"s", "с", "sec", "сек"}},
}};

TShortcutsPage::TShortcutsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsShortcuts");
    auto* form = new QFormLayout(this);
    for (size_t i = 0; i < kControls.size(); ++i) {
        auto* combo = Named(new QComboBox(this), kControls[i].Name);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (const char* choice : kControls[i].Choices) combo->addItem(Utf8(choice));
        form->addRow(Utf8(kControls[i].Label), combo);
        combos_[i] = combo;
    }
}

void TShortcutsPage::Fill(const TShortcutSettings& values) {
    for (size_t i = 0; i < kControls.size(); ++i)
        combos_[i]->setEditText(FromCp1251(values.*kControls[i].Field));
}

void TShortcutsPage::Take(TShortcutSettings& values) const {
    for (size_t i = 0; i < kControls.size(); ++i)
        values.*kControls[i].Field = ToCp1251(combos_[i]->currentText());
}

} // namespace orv
