// Key presses of a panel's keypad on their way from the driver to the running program: its
// Orvanta3KeyPress export, found like Orvanta3MessageBox. A program without the export (a test,
// a tool) ignores keys.
#pragma once

#include <cstdint>

namespace orv {

// code: a TKeypadCode. From any thread.
void ReportKeyPress(int8_t code);

} // namespace orv
