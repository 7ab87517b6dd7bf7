// The interface version this plug-in was built against, read by the loader before it calls the
// plug-in's export.
#include "abi/ConstUnit.h"

ORVANTA3_EXPORT const uint32_t ORVANTA3_INTERFACE_VERSION_SYMBOL = kInterfaceVersion;
