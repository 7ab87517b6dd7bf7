// The settings of valuetap to and from the record its settings dialog edits.
#pragma once

#include "modules/valuetap/TapSources.h"
#include "modules/valuetap/ValueTapDialogApi.h"

namespace orv {

void ToDialogData(const TValueTapSettings& settings, TValueTapDialogData& data);
// Entries without a kind or a target, or with a number outside 1..32 or taken before, are
// dropped; numbers are bounded as on reading.
void FromDialogData(const TValueTapDialogData& data, TValueTapSettings& settings);

} // namespace orv
