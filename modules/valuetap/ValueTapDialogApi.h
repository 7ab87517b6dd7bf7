// The C interface between valuetap and its Qt settings dialog in ui/valuetap.so.
//
// Ownership: the module owns the record; the dialog reads and writes it only during the call.
// Texts are Windows-1251.
#pragma once

#include <cstdint>

struct TValueTapSourceData {
    int32_t Number; // N of "SourceN", 1..32
    char Kind[16];  // "command", "file" or "mqtt"
    char Name[64];
    char Target[1024]; // the command line, the file or the topic
    char Folder[512];
    char Pointer[256];
    int32_t Line;
    int32_t Field;
    int32_t PeriodSec;
    int32_t TimeoutSec;
    int32_t MaxBytes;
    int32_t MaxAgeSec;
};

struct TValueTapDialogData {
    int32_t SourceCount; // entries of Sources in use
    TValueTapSourceData Sources[32];
    char Host[256];
    int32_t Port;
    int32_t Tls;
    char CaFile[512];
    char User[128];
    char Password[128]; // plain
    char PasswordFile[512];
};

// Shows the dialog modally; 1 after "Сохранить" (the record then holds the new values), 0
// otherwise or when no Qt application runs in the process.
using TRunValueTapDialogFunc = int32_t (*)(TValueTapDialogData* data);
inline constexpr const char* kRunValueTapDialogExport = "RunValueTapDialog";
