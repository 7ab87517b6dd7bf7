// What the settings pages share: texts between the settings model (Windows-1251) and the
// widgets (Unicode), and controls named as the language file and the tests know them.
#pragma once

#include "host/ui/QtCp1251.h"

#include <QString>

#include <string>
#include <string_view>

namespace orv {


template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace orv
