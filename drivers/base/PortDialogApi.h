// The C interface between a parallel-port driver and its Qt settings dialog, which lives in the
// companion library ui/NAME.so so that the driver itself never loads Qt.
//
// Ownership: the driver owns the TPortDialogData record and everything its callbacks touch;
// the dialog only reads and writes the record during the call. Texts are Windows-1251.
#pragma once

#include <cstddef>
#include <cstdint>

struct TPortDialogValues {
    char Port[64];  // cbPort text
    char Rows[16];  // cbRows text (text panels only)
    char Cols[16];  // cbCols text (text panels only)
    int32_t Timing; // tbDelay position
};

// The try mode: a second driver object of the driver library, driven while btnTry is down.
struct TPortDialogTry {
    void* Context;
    // Activates the try object with the dialog's current values; 0 when it runs, else the
    // conversion error is written to error (zero-terminated, at most errorSize bytes).
    int32_t (*Start)(void* context, const TPortDialogValues* values, char* error, size_t errorSize);
    void (*WriteText)(void* context, const char* text, size_t len);
    // Deactivates the try object; harmless when it does not run.
    void (*Stop)(void* context);
};

struct TPortDialogData {
    TPortDialogValues Values; // in: the saved values; out: the dialog's values after "Ok"
    TPortDialogTry Try;
};

// Shows the dialog modally; 1 when the user confirmed with "Ok" (Values then hold the new
// values), 0 otherwise or when no Qt application runs in the process.
using TRunPortDialogFunc = int32_t (*)(TPortDialogData* data);
inline constexpr const char* kRunTextportDialogExport = "RunTextportDialog";
inline constexpr const char* kRunGraphportDialogExport = "RunGraphportDialog";
