// The settings dialog of the character-panel drivers (drivers/base/CharPanelDialogApi.h): one
// editable drop-down per field, "Ok" and "Закрыть".
#pragma once

#include "drivers/base/CharPanelDialogApi.h"

namespace orv {

// What the RunCharPanelDialog export of a driver's ui library returns.
int32_t RunCharPanelDialog(TCharPanelDialogData* data);

} // namespace orv
