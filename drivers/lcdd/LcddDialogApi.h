// The C interface between lcdd.so and its Qt settings dialog in ui/lcdd.so (the driver never
// loads Qt). The driver owns the record and everything its callback touches; texts are
// Windows-1251.
#pragma once

#include <cstddef>
#include <cstdint>

struct TLcddDialogValues {
    char Server[256]; // edServer: host name or address of LCDd
    char Port[16];    // edPort: TCP port
};

// btnTry: a connection with the dialog's values, said hello to and closed again.
struct TLcddDialogProbe {
    void* Context;
    // 0 when LCDd answered (answer: its display, e.g. "20 x 4"), else the reason; answer is
    // zero-terminated, at most answerSize bytes.
    int32_t (*Run)(void* context, const TLcddDialogValues* values, char* answer, size_t answerSize);
};

struct TLcddDialogData {
    TLcddDialogValues Values; // in: the saved values; out: the dialog's values after "Ok"
    TLcddDialogProbe Probe;
};

// Shows the dialog modally; 1 after "Ok", 0 otherwise or when no Qt application runs.
using TRunLcddDialogFunc = int32_t (*)(TLcddDialogData* data);
inline constexpr const char* kRunLcddDialogExport = "RunLcddDialog";
