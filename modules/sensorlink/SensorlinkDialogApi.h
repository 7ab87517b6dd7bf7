// The C interface between sensorlink and its Qt settings dialog, which lives in the companion
// library ui/sensorlink.so so that the module itself never loads Qt.
//
// Ownership: the module owns the record; the dialog reads and writes it only during the call.
// Texts are Windows-1251.
#pragma once

#include <cstdint>

struct TSensorlinkDialogData {
    int32_t TryToRun; // cbRunMBM
    char Path[4096];  // edPathMBM
};

// Shows the dialog modally; 1 when the user confirmed with "Ок" (the record then holds the new
// values), 0 otherwise or when no Qt application runs in the process.
using TRunSensorlinkDialogFunc = int32_t (*)(TSensorlinkDialogData* data);
inline constexpr const char* kRunSensorlinkDialogExport = "RunSensorlinkDialog";
