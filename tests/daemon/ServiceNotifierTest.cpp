#include "daemon/ServiceNotifier.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace orv;
using namespace orv::test;

namespace {

// systemd's end of the notification socket: a datagram socket bound to a path or, for a name
// starting with "@", in the abstract namespace.
class TManagerSocket {
public:
    explicit TManagerSocket(const std::string& name) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.data(), name.size());
        if (name[0] == '@') address.sun_path[0] = '\0';
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address),
                        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size())) == 0;
    }
    ~TManagerSocket() { ::close(fd_); }
    bool Bound() const { return bound_; }

    // The next datagram; "" when none is waiting.
    std::string Next() {
        char buffer[512];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }

private:
    int fd_ = -1;
    bool bound_ = false;
};

} // namespace

TEST(ServiceNotifier, SendsEachStateAsOneDatagramToAPathOrAnAbstractName) {
    TempDir dir;
    const std::string abstractName = "@orvanta3-notify-test-" + std::to_string(::getpid());
    for (const std::string& name : {dir / "notify", abstractName}) {
        TManagerSocket manager(name);
        ASSERT_TRUE(manager.Bound()) << name;
        ScopedEnv socket("NOTIFY_SOCKET", name);
        ScopedEnv watchdog("WATCHDOG_USEC", "30000000");
        TServiceNotifier notifier;
        EXPECT_EQ(notifier.WatchdogInterval(), std::chrono::seconds(30));
        notifier.Ready();
        notifier.Reloading();
        notifier.Stopping();
        EXPECT_EQ(manager.Next(), "READY=1\nSTATUS=Showing the job") << name;
        EXPECT_EQ(manager.Next(), "RELOADING=1\nSTATUS=Reading the settings and the job");
        EXPECT_EQ(manager.Next(), "STOPPING=1");
        // The first beat pings; the next ones wait for half the interval.
        notifier.Beat();
        notifier.Beat();
        EXPECT_EQ(manager.Next(), "WATCHDOG=1");
        EXPECT_EQ(manager.Next(), "");
    }
}

TEST(ServiceNotifier, TheWatchdogIsOnlyThisProcesssAndOnlyAWholeNumber) {
    const std::string self = std::to_string(::getpid());
    const struct {
        const char* usec;
        std::string pid;
        int64_t expected;
    } cases[] = {
        {"400000", "", 400000},
        {"400000", self, 400000},
        {"400000", "1", 0},
        {"400000", self + "x", 0},
        {"0", "", 0},
        {"-5", "", 0},
        {"12x", "", 0},
        {"", "", 0},
        {"99999999999999999999999", "", 0},
    };
    for (const auto& c : cases) {
        ScopedEnv usec("WATCHDOG_USEC", c.usec);
        // An empty WATCHDOG_PID stands for one that is not set.
        std::optional<ScopedEnv> pid;
        if (!c.pid.empty()) pid.emplace("WATCHDOG_PID", c.pid);
        const bool pidWasSet = std::getenv("WATCHDOG_PID") != nullptr;
        if (c.pid.empty() && pidWasSet) continue; // set by whoever runs the tests
        TServiceNotifier notifier;
        EXPECT_EQ(notifier.WatchdogInterval().count(), c.expected) << c.usec << " " << c.pid;
    }
}

TEST(ServiceNotifier, WithoutAUsableSocketEveryCallDoesNothing) {
    TempDir dir;
    for (const std::string& name : {std::string(), std::string("relative/notify"), std::string("@"),
                                    dir / "nobody-listens"}) {
        ScopedEnv socket("NOTIFY_SOCKET", name);
        ScopedEnv watchdog("WATCHDOG_USEC", "1000");
        TServiceNotifier notifier;
        notifier.Ready();
        notifier.Beat();
        notifier.Stopping();
    }
}
