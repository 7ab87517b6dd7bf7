// orvanta3-mpd: publishes what MPD plays in the shared block OrvantaMP3Data, for the music
// player modules of Orvanta3, until SIGINT or SIGTERM.
#include "mediabridge/Bridge.h"
#include "mediabridge/BridgeOptions.h"
#include "mediabridge/Mp3Publisher.h"

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

using namespace orv;

int main(int argc, char** argv) {
    const auto parsed = ParseBridgeCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* help = std::get_if<TBridgeHelp>(&parsed)) {
        std::fputs(help->Text.c_str(), stdout);
        return 0;
    }
    if (const auto* error = std::get_if<TBridgeError>(&parsed)) {
        std::fprintf(stderr, "orvanta3-mpd: %s (see --help)\n", error->Message.c_str());
        return 2;
    }
    const TBridgeOptions& options = std::get<TBridgeOptions>(parsed);

    // The signals end the loop through a descriptor it waits on.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int stopFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (stopFd < 0) {
        std::perror("orvanta3-mpd: signalfd");
        return 1;
    }

    auto publisher = TMp3Publisher::Create();
    if (!publisher) {
        std::fprintf(stderr, "orvanta3-mpd: cannot create the shared block OrvantaMP3Data\n");
        return 1;
    }
    RunBridge(options, *publisher, stopFd);
    publisher.reset(); // no data from now on
    ::close(stopFd);
    return 0;
}
