#include "shell/desktop/QuitSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
int writeEnd = -1;

void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

TQuitSignals::TQuitSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TQuitSignals::Drain);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kQuitSignals) ::sigaction(signal, &action, nullptr);
}

TQuitSignals::~TQuitSignals() {
    for (int signal : kQuitSignals) std::signal(signal, SIG_DFL);
    writeEnd = -1;
    notifier_.reset();
    for (int fd : pipe_)
        if (fd >= 0) ::close(fd);
}

void TQuitSignals::Drain() {
    unsigned char byte = 0;
    while (::read(pipe_[0], &byte, 1) == 1) emit Received(byte);
}

} // namespace orv
