// The C interface between skycast and its Qt settings dialog in ui/skycast.so.
//
// Ownership: the module owns the record; the dialog reads and writes it only during the call.
// Texts are Windows-1251.
#pragma once

#include <cstdint>

struct TSkycastDialogData {
    char CityCode[32];       // edCity; after "Запомнить" it holds an integer
    int32_t UseProxy;        // cbUseProxy
    char Source[32];         // "open-meteo" or "export"
    char Server[512];        // base address; empty = the source's public address
    char Language[128];      // "Common" "Language"; empty: the dialog keeps its built-in texts
    char LanguageFile[4096]; // skycast.lng beside the module (a file path); its "7_" keys
};

// Shows the dialog modally; 1 after "Запомнить" (the record then holds the new values), 0
// otherwise or when no Qt application runs in the process.
using TRunSkycastDialogFunc = int32_t (*)(TSkycastDialogData* data);
inline constexpr const char* kRunSkycastDialogExport = "RunSkycastDialog";
