// One way for the program, its drivers and its modules to show a message: the running
// program's Orvanta3MessageBox export (the desktop program shows a message box, the daemon
// prints a line), else one UTF-8 line on standard error.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// text and caption are Windows-1251; flags are TMessageBoxFlags.
void ShowMessage(std::string_view text, std::string_view caption, int flags);

// The line written to standard error without a message-box export: "caption: text" in UTF-8,
// line breaks inside the text turned into blanks, other control bytes written as "\\xHH".
std::string FormatErrorLine(std::string_view text, std::string_view caption);

} // namespace orv
