// A real LCDd (Debian package lcdproc) for the tests of the LCDd driver: its text driver at
// 20 x 4 on a private loopback port, in the foreground, every frame it prints captured in a
// log (line-buffered through stdbuf, so frames arrive as they are drawn).
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/FakeLcdd.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <glob.h>
#include <pwd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace orv::test {

class TLcddServer {
public:
    static constexpr int kCols = 20;
    static constexpr int kRows = 4;

    // The LCDd program and the folder of its text driver; empty when lcdproc is not installed.
    static std::string Program() {
        for (const char* path : {"/usr/sbin/LCDd", "/usr/bin/LCDd"})
            if (ProgramExists(path)) return path;
        return {};
    }
    static std::string DriverFolder() {
        glob_t found{};
        std::string folder;
        if (::glob("/usr/lib/*/lcdproc/text.so", 0, nullptr, &found) == 0 ||
            ::glob("/usr/lib/lcdproc/text.so", 0, nullptr, &found) == 0)
            folder =
                std::string(found.gl_pathv[0]).substr(0, std::string(found.gl_pathv[0]).size() - 7);
        ::globfree(&found);
        return folder;
    }
    static bool Available() { return !Program().empty() && !DriverFolder().empty(); }

    explicit TLcddServer(const TempDir& dir) : dir_(dir), port_(FreeLoopbackPort()) {
        const passwd* user = ::getpwuid(::getuid());
        std::ofstream(dir_ / "LCDd.conf")
            << "[server]\nDriverPath=" << DriverFolder() << "/\nDriver=text\nBind=127.0.0.1\n"
            << "Port=" << port_ << "\nReportLevel=1\nReportToSyslog=no\nForeground=yes\n"
            << "ServerScreen=no\nUser=" << (user ? user->pw_name : "nobody") << "\n"
            << "[text]\nSize=" << kCols << "x" << kRows << "\n";
        Start();
    }

    uint16_t Port() const { return port_; }
    bool Running() { return process_ && process_->Started() && !process_->Ended(); }

    // Ends LCDd (SIGKILL: no goodbye to its clients) and starts a new one on the same port with
    // a fresh log, returning once it takes connections (or has ended).
    void Kill() { process_->Stop(SIGKILL); }
    void Start() {
        ++starts_;
        process_ = std::make_unique<TChildProcess>(
            std::vector<std::string>{"stdbuf", "-oL", Program(), "-c", dir_ / "LCDd.conf", "-f"},
            Log());
        WaitUntil([&] { return !Running() || AcceptsConnections(port_); }, std::chrono::minutes(1));
    }

    // Every complete frame of the current log: kRows rows of kCols bytes each.
    std::vector<std::vector<std::string>> Frames() const {
        std::vector<std::vector<std::string>> frames;
        std::vector<std::string> frame;
        std::istringstream in(ReadText(Log()));
        std::string line;
        while (std::getline(in, line)) {
            if (line.size() == kCols + 2 && line.front() == '+') {
                frame.clear();
            } else if (line.size() == kCols + 2 && line.front() == '|' && line.back() == '|') {
                frame.push_back(line.substr(1, kCols));
                if (frame.size() == kRows) frames.push_back(frame);
            }
        }
        return frames;
    }

    // Waits (up to a minute) until a frame satisfies shows.
    bool WaitForFrame(const std::function<bool(const std::vector<std::string>&)>& shows) const {
        for (int i = 0; i < 600; ++i) {
            for (const auto& frame : Frames())
                if (shows(frame)) return true;
            ::usleep(100000);
        }
        return false;
    }

    std::string LogText() const { return ReadText(Log()); }

private:
    std::string Log() const { return dir_ / ("lcdd-" + std::to_string(starts_) + ".log"); }

    const TempDir& dir_;
    const uint16_t port_;
    int starts_ = 0;
    std::unique_ptr<TChildProcess> process_;
};

} // namespace orv::test
