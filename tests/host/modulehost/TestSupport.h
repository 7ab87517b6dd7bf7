// Support for the module-host tests: the event log the test libraries write to, the message
// boxes the host shows, a temporary program folder with plug-ins, and waiting with a deadline.
#pragma once

#include "host/modulehost/ModuleHost.h"
#include "host/modulehost/ScreenGeometry.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Exported by the test program; the test libraries log their calls through it.
extern "C" void Orvanta3TestRecord(const char* event);

namespace orv::test {

// Events "file.so:what" recorded by the test libraries, in call order.
std::vector<std::string> Events();
void ClearEvents();
// The events that contain fragment, in order.
std::vector<std::string> EventsWith(const std::string& fragment);
// Index of the first event equal to event, or -1.
int EventIndex(const std::string& event);

struct TShownMessage {
    std::string Text, Caption;
    int Flags = 0;
};
std::vector<TShownMessage> ShownMessages();
void ClearShownMessages();

// A program folder with plugins/{hardware,software,screensaver} and a settings file.
class TProgramTree {
public:
    TProgramTree();
    const std::string& Folder() const { return dir_.Path(); }
    std::string SettingsPath() const { return dir_ / "Orvanta3.ini"; }
    // Copies a test library (DataFixture, DriverFixture, ...) into the kind's folder as fileName.
    void AddFixture(const std::string& fixture, TModuleKind kind, const std::string& fileName);
    // Copies a file into the kind's folder.
    void AddFile(const std::string& source, TModuleKind kind, const std::string& fileName);
    void SetActive(const std::string& fileName, bool active);
    std::string PluginPath(TModuleKind kind, const std::string& fileName) const;
    TModuleHostOptions Options() const;

private:
    TempDir dir_;
};

class TGeometryLog : public TScreenGeometry {
public:
    void SetRowCount(int32_t rows) override { Calls.push_back("rows=" + std::to_string(rows)); }
    void SetColCount(int32_t cols) override { Calls.push_back("cols=" + std::to_string(cols)); }
    std::vector<std::string> Calls;
};

} // namespace orv::test
