#include "shell/editor/TransitionChooser.h"

#include <QAbstractItemView>
#include <QFontMetrics>

#include <algorithm>
#include <array>

namespace orv {

namespace {

constexpr std::array<const char *, 10> kTransitions = {
    "1) смена экрана без перехода",   "2) \"растворение\"",
    "3) \"растворение\" через символ", "4) заполнение слева направо",
    "5) заполнение справа налево",    "6) черезстрочное замещение",
    "7) замещение слева направо",     "8) замещение справа налево",
    "9) прокрутка вверх",             "10) прокрутка вниз"};

} // namespace

TTransitionChooser::TTransitionChooser(QWidget *parent) : QComboBox(parent) {
    setObjectName("cbTransition");
    for (size_t i = 0; i < kTransitions.size(); ++i) {
        addItem(QString::fromUtf8(kTransitions[i]));
        if (!Selectable(static_cast<int>(i)))
            setItemData(static_cast<int>(i), QColor(128, 128, 128), Qt::ForegroundRole);
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && !Selectable(index)) setCurrentIndex(0);
    });
}

bool TTransitionChooser::Selectable(int index) {
    return index == 0 || index == 1 || index == 6 || index == 8;
}

// The list is as wide as its longest item plus 10 pixels, never narrower than the box.
void TTransitionChooser::showPopup() {
    const QFontMetrics metrics(view()->font());
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    view()->setMinimumWidth(std::max(widest + 10, width()));
    QComboBox::showPopup();
}

} // namespace orv
