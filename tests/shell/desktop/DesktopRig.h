// What the desktop program's tests share: a temporary documents folder with a settings file
// for the emulated 4 x 20 panel and the clock module, and job files written into it.
#pragma once

#include "base/Cp1251.h"
#include "tests/support/PanelState.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace orv::test {

class TDesktopRig {
public:
    // The environment of the program under test: the emulated panel, the documents folder
    // (the drivers and modules read its settings themselves), the autostart entry's folder, and
    // shared blocks of its own (named with shmTag).
    void UseEnvironment(const std::string& shmTag) const {
        ::setenv("ORVANTA3_PORTIO", portio.c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", docs.Path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (docs / "config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (docs / "state").c_str(), 1);
        ::setenv("ORVANTA3_SHM_SUFFIX", ("-" + shmTag + "-" + std::to_string(::getpid())).c_str(),
                 1);
    }
    // The settings with extraCommon appended to section "Common" (UTF-8 lines).
    void WriteSettings(const std::string& extraCommon = {}) const {
        WriteText(docs / "Orvanta3.ini", Utf8ToCp1251("[Common]\n"
                                                      "StartMsg=Hello from\n"
                                                      "StartMsg line2=the desktop\n"
                                                      "Base timeout=100\n"
                                                      "Show splash-screen=0\n" +
                                                      extraCommon +
                                                      "[textport.so]\n"
                                                      "Active=1\n"
                                                      "Lines count=4\n"
                                                      "Cols count=20\n"
                                                      "Timing=0\n"
                                                      "[chronos.so]\n"
                                                      "Active=1\n"));
    }
    // Settings that load and run the job file "job.orv3" at start-up.
    void WriteAutoloadSettings(const std::string& extraCommon = {}) const {
        WriteSettings("Autoload job=1\nJob name=" + JobPath() + "\n" + extraCommon);
    }

    // More sections after those of WriteSettings (UTF-8).
    void AppendSettings(const std::string& sections) const {
        WriteText(docs / "Orvanta3.ini", ReadText(docs / "Orvanta3.ini") + Utf8ToCp1251(sections));
    }

    // A job of screens whose line 1 is the given text, shown without a time limit.
    void WriteJob(const std::vector<std::string>& firstLines) const {
        std::string text;
        for (size_t i = 0; i < firstLines.size(); ++i)
            text += "[Screen " + std::to_string(i + 1) + "]\nLine1=" + firstLines[i] +
                    "\nShow=1\nTimeout=0\n";
        WriteText(JobPath(), Utf8ToCp1251(text));
    }
    std::string JobPath() const { return docs / "job.orv3"; }

    std::vector<std::string> Rows() const { return PanelRows(state); }
    // The emulated panel's lock file exists while a driver holds the panel.
    std::string LockFile() const { return docs / ".panel.state.lock"; }

    TempDir docs;
    std::string state = docs / "panel.state";
    std::string portio = "emu:hd44780:4x20:" + state;
};

} // namespace orv::test
