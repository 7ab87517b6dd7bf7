// ui/graphport.so: the settings dialog of the KS0108 driver.
#include "drivers/base/ui/PortSettingsDialog.h"
#include "abi/ConstUnit.h"

ORVANTA3_EXPORT int32_t RunGraphportDialog(TPortDialogData* data) {
    constexpr orv::TPortDialogLayout layout{.textPanel = false,
                                            .delayMin = 500,
                                            .delayMax = 1000000,
                                            .delaySingleStep = 100,
                                            .delayPageStep = 1000,
                                            .portChangeEndsTry = true};
    return orv::TPortSettingsDialog::Run(layout, data);
}
