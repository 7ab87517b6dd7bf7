// One place that shows the program's error messages. The running program exports
// Orvanta3MessageBox (the desktop program shows a message box, the daemon prints a line); when
// none is exported the message goes to standard error as one UTF-8 line.
#pragma once

#include "base/MessageBox.h"

#include <string>
#include <string_view>

namespace orv {

// Shows text (Windows-1251) with the error icon and the translatable caption "Ошибка".
void ReportError(std::string_view text);

} // namespace orv
