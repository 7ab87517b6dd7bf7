#include "host/modulehost/ModuleFault.h"

#include "base/Cp1251.h"
#include "host/modulehost/ErrorReport.h"

namespace orv {

void TModuleFault::Failed(const char* operation, const std::string& what) {
    if (failures_++ != 0) return;
    ReportError(Utf8ToCp1251(fileName_ + ": " + operation + " failed (" + what +
                             "); the program goes on without its answer"));
}

} // namespace orv
