#include "host/modulehost/ErrorReport.h"

#include "abi/ConstUnit.h"
#include "host/ProgramMessages.h"

namespace orv {

void ReportError(std::string_view text) { ShowMessage(text, Message(msgErrorCaption), mbError); }

} // namespace orv
