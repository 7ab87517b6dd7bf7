// Controls named as the language files and the tests know them; with the Windows-1251 texts
// between the settings model and the widgets (QtCp1251.h).
#pragma once

#include "base/ui/QtCp1251.h"

#include <QString>

#include <string>
#include <string_view>

namespace orv {

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace orv
