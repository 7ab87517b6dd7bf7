// A private X server (Xvfb) for the tests of the desktop program: it picks a free display
// number itself and says which; it ends with the object.
#pragma once

#include "tests/support/ChildProcess.h"

#include <poll.h>
#include <string>
#include <unistd.h>

namespace orv::test {

class TXvfbServer {
public:
    // logPath takes the server's messages.
    explicit TXvfbServer(const std::string& logPath) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        server_ = std::make_unique<TChildProcess>(
            std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten",
                                     "tcp", "-screen", "0", "1280x800x24"},
            logPath);
        ::close(fds[1]);
        // The server writes the display number and a line break once it accepts clients.
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&ready, 1, 60000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.empty() && c == '\n') display_ = ":" + number;
    }

    // ":N", empty when the server did not start.
    const std::string& Display() const { return display_; }
    pid_t Pid() const { return server_ ? server_->Pid() : -1; }

private:
    std::unique_ptr<TChildProcess> server_;
    std::string display_;
};

} // namespace orv::test
