// The C interface between postwatch and its Qt settings dialog in ui/postwatch.so.
//
// Ownership: the module owns the record; the dialog reads and writes it only during the call.
// Texts are Windows-1251.
#pragma once

#include <cstdint>

struct TPostwatchDialogData {
    char Server[256];
    char User[128];
    char Password[128];      // plain
    int32_t CheckTimeoutMin; // udMailTimeout
    char Mask[512];
    char Delimiter[2]; // one character; a space when edMailDelimiter was empty
    char Security[16]; // "none", "starttls" or "pop3s"
    int32_t AcceptSelfSigned;
};

// Shows the dialog modally; 1 after "Запомнить" (the record then holds the new values), 0
// otherwise or when no Qt application runs in the process.
using TRunPostwatchDialogFunc = int32_t (*)(TPostwatchDialogData* data);
inline constexpr const char* kRunPostwatchDialogExport = "RunPostwatchDialog";
