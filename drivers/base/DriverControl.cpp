#include "drivers/base/DriverControl.h"

#include "base/Cp1251.h"
#include "base/KeyPress.h"
#include "base/MessageBox.h"

namespace orv {

void TLCDDriverControl::SetScanCode(int8_t value) {
    scanCode_ = value;
    Notify(OnKeyPress);
    if (value >= 0) ReportKeyPress(value);
}

void TLCDDriverControl::ReportActivationError(const std::string& error) {
    if (error == reportedError_) return;
    reportedError_ = error;
    ShowMessage(Utf8ToCp1251(error), "Error", mbError);
}

} // namespace orv
