// Windows-1251 text, as the files and modules keep it, to and from the strings of Qt's windows.
#pragma once

#include "base/Cp1251.h"

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

} // namespace orv
