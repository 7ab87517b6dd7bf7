// One place that shows the program's error messages. The running program exports
// Orvanta3MessageBox (the desktop program shows a message box, the daemon prints a line); when
// none is exported the message goes to standard error as one UTF-8 line.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Shows text (Windows-1251) with the error icon and the translatable caption "Ошибка".
void ReportError(std::string_view text);

// Shows text with the given caption and flags (TMessageBoxFlags).
void ShowMessage(std::string_view text, std::string_view caption, int flags);

// The line written to standard error without a message-box export: "caption: text" in UTF-8,
// line breaks inside the text turned into blanks.
std::string FormatErrorLine(std::string_view text, std::string_view caption);

} // namespace orv
