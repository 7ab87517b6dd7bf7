// The C interface between headlines and its Qt settings dialog in ui/headlines.so.
//
// Ownership: the module owns the record; the dialog reads and writes it only during the call.
// Texts are Windows-1251.
#pragma once

#include <cstdint>

struct THeadlinesDialogData {
    int32_t UseProxy;       // cbUseProxy
    int32_t RefreshHours;   // UpDown1, at least 1
    char Addresses[3][512]; // hardware news, newest reviews, reviews: a page or a feed each
};

// Shows the dialog modally; 1 after "Ок" (the record then holds the new values), 0 otherwise
// or when no Qt application runs in the process.
using TRunHeadlinesDialogFunc = int32_t (*)(THeadlinesDialogData* data);
inline constexpr const char* kRunHeadlinesDialogExport = "RunHeadlinesDialog";
