// The C interface between a character-panel driver and its Qt settings dialog (companion
// library ui/NAME.so): a form of labelled fields, each an editable drop-down.
//
// Ownership: the driver owns the record; the dialog reads and writes it during the call only.
// Texts are Windows-1251.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kCharPanelDialogFields = 8;

struct TCharPanelDialogField {
    const char* Label;
    const char* Choices; // items, '\n' between them; may be empty
    char Value[128];     // in: the saved value; out: the value after "Ok"
};

struct TCharPanelDialogData {
    const char* Caption;
    size_t Count;
    TCharPanelDialogField Fields[kCharPanelDialogFields];
};

// Shows the dialog modally; 1 when the user confirmed with "Ok", 0 otherwise or when no Qt
// application runs in the process.
using TRunCharPanelDialogFunc = int32_t (*)(TCharPanelDialogData* data);
inline constexpr const char* kRunCharPanelDialogExport = "RunCharPanelDialog";
