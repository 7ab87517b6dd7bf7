// The message box of a plug-in: the program's Orvanta3MessageBox export when the running
// program has one, else one line on standard error.
#pragma once

namespace orv {

// text and caption are Windows-1251; flags are TMessageBoxFlags.
void PluginMessageBox(const char* text, const char* caption, int flags);

} // namespace orv
