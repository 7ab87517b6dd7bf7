// orvanta3d as a user runs it: the built program with an emulated 4 x 20 panel, the real
// drivers and modules, and a temporary documents folder.
#pragma once

#include "base/Cp1251.h"
#include "tests/support/PanelState.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orv::test {

inline const std::string kDaemon = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3d";

// Settings with the text driver on a 4 x 20 panel and the demo's modules.
inline const std::string kPanelSettings = R"([Common]
StartMsg=Hello from
StartMsg line2=the daemon
QuitMsg=Good bye!
QuitMsg line2=see you
Base timeout=100
[textport.so]
Active=1
Lines count=4
Cols count=20
Timing=0
[chronos.so]
Active=1
[glyphset.so]
Active=1
[tallfour.so]
Active=1
)";

struct TRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    // Lines of standard error.
    long ErrLines() const { return std::count(err.begin(), err.end(), '\n'); }
};

class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override { WriteText(docs / "Orvanta3.ini", Utf8ToCp1251(kPanelSettings)); }

    // The environment of a run: the emulated panel and the documents folder.
    std::string Environment() const {
        return "ORVANTA3_PORTIO='" + portio + "' XDG_DOCUMENTS_DIR='" + documents +
               "' XDG_STATE_HOME='" + stateHome + "' ";
    }

    // Runs the daemon with args (shell words) to its end; stdout and stderr are captured.
    TRun Run(const std::string& args) { return RunWith(Environment(), args); }
    TRun RunWith(const std::string& environment, const std::string& args) {
        return RunCaptured(kDaemon, environment, args);
    }
    // Runs program to its end; stdout and stderr are captured in the files prefix + "out" and
    // prefix + "err".
    TRun RunCaptured(const std::string& program, const std::string& environment,
                     const std::string& args, const std::string& prefix = "") {
        const std::string out = docs / (prefix + "out"), err = docs / (prefix + "err");
        const std::string command = environment + "'" + program + "' " + args + " >'" + out +
                                    "' 2>'" + err + "' </dev/null";
        const int status = std::system(command.c_str());
        TRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadText(out);
        run.err = ReadText(err);
        return run;
    }

    // Starts the daemon with args in the background; its standard output goes to stdoutFd
    // (else /dev/null), standard error to the file "err".
    pid_t Start(const std::vector<std::string>& args, int stdoutFd = -1) {
        const pid_t child = ::fork();
        if (child != 0) return child;
        ::setenv("ORVANTA3_PORTIO", portio.c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", documents.c_str(), 1);
        ::setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
        const int out = stdoutFd >= 0 ? stdoutFd : ::open("/dev/null", O_WRONLY);
        const int err = ::open((docs / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(kDaemon.c_str())};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(kDaemon.c_str(), argv.data());
        ::_exit(127);
    }

    // The raw wait status of a started daemon.
    static int WaitStatus(pid_t child) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    }

    std::vector<std::string> PanelRows() const { return test::PanelRows(state); }
    bool WaitForPanel(const std::function<bool(const std::vector<std::string>&)>& shows) const {
        return test::WaitForPanel(state, shows);
    }
    bool WaitForFirstRow(const std::string& prefix) const {
        return WaitForPanel(
            [&](const auto& rows) { return !rows.empty() && rows[0].starts_with(prefix); });
    }

    TempDir docs;
    std::string documents = docs.Path();
    std::string state = docs / "panel.state";
    std::string stateHome = docs / "state"; // the program's state.ini goes below it
    std::string portio = "emu:hd44780:4x20:" + state;
};

} // namespace orv::test
