// The export of a character-panel driver's ui library (ui/i2cpanel.so, ui/serialpanel.so): each
// is built from this file and the shared dialog.
#include "drivers/base/ui/CharPanelDialog.h"
#include "abi/ConstUnit.h"

ORVANTA3_EXPORT int32_t RunCharPanelDialog(TCharPanelDialogData* data) {
    return orv::RunCharPanelDialog(data);
}
