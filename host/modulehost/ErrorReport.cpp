#include "ErrorReport.h"

#include "ConstUnit.h"
#include "HostMessages.h"

namespace orv {

void ReportError(std::string_view text) { ShowMessage(text, Message(msgErrorCaption), mbError); }

} // namespace orv
