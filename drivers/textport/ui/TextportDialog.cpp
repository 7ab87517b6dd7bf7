// ui/textport.so: the settings dialog of the HD44780 driver.
#include "drivers/base/ui/PortSettingsDialog.h"
#include "abi/ConstUnit.h"

ORVANTA3_EXPORT int32_t RunTextportDialog(TPortDialogData* data) {
    constexpr orv::TPortDialogLayout layout{.textPanel = true,
                                            .delayMin = 10000,
                                            .delayMax = 1000000,
                                            .delaySingleStep = 1000,
                                            .delayPageStep = 10000,
                                            .portChangeEndsTry = false};
    return orv::TPortSettingsDialog::Run(layout, data);
}
