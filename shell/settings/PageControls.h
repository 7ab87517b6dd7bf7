// What the settings pages share: texts between the settings model (Windows-1251) and the
// widgets (Unicode), and controls named as the language file and the tests know them.
#pragma once

#include "host/Cp1251.h"

#include <QString>

#include <string>
#include <string_view>

namespace orv {

inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

inline QString FromCp1251(std::string_view text) {
    return QString::fromStdString(Cp1251ToUtf8(text));
}

// Characters Windows-1251 lacks become '?'.
inline std::string ToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace orv
