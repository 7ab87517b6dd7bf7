// orvanta3d against peers that misbehave on purpose: an LCDd that floods the connection, feeds
// that expand or carry command words, an answer nested a hundred thousand levels deep, a feed
// server that never answers while the settings are reloaded, a POP3 server that cuts its list
// short, and a player block that shrinks or belongs to nobody safe. Each run stays below 64 MB
// of peak resident memory (VmHWM), the panel shows outside text letter for letter, and the
// daemon ends promptly on SIGTERM.
#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "tests/daemon/DaemonRun.h"
#include "tests/support/FakeLcdd.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/PrivateBlocks.h"
#include "tests/support/WaitUntil.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/mman.h>
#include <sys/stat.h>

using namespace orv;
using namespace orv::test;

namespace {

constexpr long kMemoryLimitKb = 64 * 1024;

class HostilePeers : public DaemonTest {
protected:
    // A "Name:" field of /proc/PID/status as a number (kB for the memory fields); -1 when the
    // process is gone.
    static long StatusField(pid_t pid, const std::string& name) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.starts_with(name + ":")) return std::stol(line.substr(name.size() + 1));
        return -1;
    }
    static long PeakKb(pid_t pid) { return StatusField(pid, "VmHWM"); }
    static long Threads(pid_t pid) { return StatusField(pid, "Threads"); }
    static long Descriptors(pid_t pid) {
        std::error_code ec;
        const std::filesystem::directory_iterator fds("/proc/" + std::to_string(pid) + "/fd", ec);
        return ec ? -1 : std::distance(fds, std::filesystem::directory_iterator());
    }
    static bool Alive(pid_t child) {
        int status = 0;
        return ::waitpid(child, &status, WNOHANG) == 0;
    }
    // SIGTERM, then the wait for the end: the time it took and the exit status (-1 for a
    // signal).
    static std::pair<std::chrono::milliseconds, int> Terminate(pid_t child) {
        const auto start = std::chrono::steady_clock::now();
        ::kill(child, SIGTERM);
        const int status = WaitStatus(child);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        return {took, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }
    void Settings(const std::string& modules) {
        WriteText(docs / "Orvanta3.ini", "[Common]\nBase timeout=100\n[textport.so]\nActive=1\n"
                                         "Lines count=4\nCols count=20\nTiming=0\n" +
                                             modules);
    }
    std::string Err() const { return ReadText(docs / "err"); }
};

// A feed of one item whose title uses one 10 kB entity twenty thousand times: 200 MB if
// expanded.
std::string ExpandingFeed() {
    std::string feed = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [<!ENTITY e \"" +
                       std::string(10000, 'x') + "\">]>\n<rss><channel><item><title>";
    for (int i = 0; i < 20000; ++i) feed += "&e;";
    return feed + "</title></item></channel></rss>\n";
}

std::string Rss(const std::vector<std::string>& titles) {
    std::string feed = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<rss><channel>";
    for (const std::string& title : titles) feed += "<item><title>" + title + "</title></item>";
    return feed + "</channel></rss>\n";
}

// A POP3 server on loopback that says there are three messages and cuts its list after two,
// closing the connection.
class TCuttingPop3 {
public:
    TCuttingPop3() : port_(FreeLoopbackPort()) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port_);
        const int on = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listen_, 4) != 0)
            throw std::runtime_error("POP3 server: no socket");
        thread_ = std::thread([this] { Serve(); });
    }
    ~TCuttingPop3() {
        stopping_ = true;
        ::shutdown(listen_, SHUT_RDWR);
        thread_.join();
        ::close(listen_);
    }
    uint16_t Port() const { return port_; }
    int Lists() const { return lists_; }

private:
    void Serve() {
        while (!stopping_) {
            const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            Session(fd);
            ::close(fd);
        }
    }
    static void Say(int fd, const std::string& text) {
        (void)!::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    }
    void Session(int fd) {
        Say(fd, "+OK ready\r\n");
        std::string received;
        char buffer[512];
        for (;;) {
            const size_t end = received.find("\r\n");
            if (end == std::string::npos) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 10000) <= 0) return;
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n <= 0) return;
                received.append(buffer, static_cast<size_t>(n));
                continue;
            }
            const std::string command = received.substr(0, end);
            received.erase(0, end + 2);
            if (command == "CAPA")
                Say(fd, "+OK\r\nUSER\r\n.\r\n");
            else if (command.starts_with("USER") || command.starts_with("PASS"))
                Say(fd, "+OK\r\n");
            else if (command == "STAT")
                Say(fd, "+OK 3 300\r\n");
            else if (command == "LIST") {
                ++lists_;
                Say(fd, "+OK 3 messages\r\n1 100\r\n2 100\r\n");
                return; // cut before the third and the final "."
            } else if (command.starts_with("TOP"))
                Say(fd, "+OK\r\nSubject: s\r\n\r\n.\r\n");
            else if (command == "QUIT") {
                Say(fd, "+OK\r\n");
                return;
            } else
                Say(fd, "-ERR\r\n");
        }
    }

    uint16_t port_;
    int listen_ = -1;
    std::atomic<bool> stopping_ = false;
    std::atomic<int> lists_ = 0;
    std::thread thread_;
};

} // namespace

TEST_F(HostilePeers, AFloodingLcddIsDroppedInBoundedMemoryAndSigtermEndsTheDaemonAtOnce) {
    TFakeLcdd flood(TFakeLcdd::TMode::Flood);
    WriteText(docs / "Orvanta3.ini", "[Common]\nBase timeout=100\n[lcdd.so]\nActive=1\n"
                                     "Server=127.0.0.1\nPort=" +
                                         std::to_string(flood.Port()) +
                                         "\n[chronos.so]\nActive=1\n");
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=flooded\nShow=1\n");
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_GT(daemon, 0);
    // Dropped and connected to again (after a pause of a second): the flood met twice.
    EXPECT_TRUE(WaitUntil([&] { return flood.Connections() >= 2; }, std::chrono::seconds(30)))
        << Err();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_TRUE(Alive(daemon)) << Err();
    const long peak = PeakKb(daemon);
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, kMemoryLimitKb);
    const auto [took, status] = Terminate(daemon);
    EXPECT_EQ(status, 0) << Err();
    // Within a second on an idle machine; the margin is for a busy one.
    EXPECT_LT(took, std::chrono::seconds(5));
    std::cout << "[ figures  ] LCDd flood: peak " << peak << " kB, SIGTERM to end " << took.count()
              << " ms\n";
    const std::string err = Err();
    EXPECT_NE(err.find("sends far more than it was asked for"), std::string::npos) << err;
}

TEST_F(HostilePeers, OutsideTextShowsAsTextAndHostileFeedsAndAnswersStayBounded) {
    TLoopbackHttpServer server;
    server.Serve("/feed",
                 {200, "application/rss+xml",
                  Rss({"_4Clock news", "_4Clock again", "_MaskChar:1;x1F;x11", "#skip this"})});
    server.Serve("/bomb", {200, "application/rss+xml", ExpandingFeed()});
    server.Serve("/v1/forecast", {200, "application/json", std::string(100000, '[')});
    Settings("[headlines.so]\nActive=1\nHard address=" + server.Address() +
             "/feed\nFresh address=" + server.Address() +
             "/bomb\nReviews address=\n[skycast.so]\nActive=1\n[Weather]\n"
             "Source=open-meteo\nCity code=93\nServer=" +
             server.Address() + "\n");
    // A title like a screen mark stands first, where marks are looked for. Every element is
    // asked again each tick.
    WriteText(docs / "job.orv3",
              "[One]\nTimeout=0\nLine1=$3dnewsHard[3,,20,4]$\n"
              "Line2=$3dnewsHard[0,,12,4]$|$3dnewsFresh[0,,2,4]$|$tempDay[,,1,4]$|\n"
              "Line3=$3dnewsHard[1,,20,4]$\nLine4=$3dnewsHard[2,,20,4]$\nShow=1\n");
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_GT(daemon, 0);
    const std::vector<std::string> expected = {"#skip this          ", "_4Clock news|  |?|  ",
                                               "_4Clock again       ", "_MaskChar:1;x1F;x11 "};
    EXPECT_TRUE(WaitForPanel([&](const auto& rows) { return rows == expected; }))
        << ::testing::PrintToString(PanelRows()) << Err();
    // Both downloads of the forecast and the feeds are over once the refused feed is reported.
    EXPECT_TRUE(WaitUntil([&] { return Err().find("declares entities") != std::string::npos; }))
        << Err();
    EXPECT_TRUE(WaitUntil([&] { return server.Requests() >= 3; })) << server.Requests();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(PanelRows(), expected) << "no glyph loaded, no command carried out";
    const long peak = PeakKb(daemon);
    EXPECT_LT(peak, kMemoryLimitKb);
    std::cout << "[ figures  ] expanding feed and deep answer: peak " << peak << " kB\n";
    const auto [took, status] = Terminate(daemon);
    EXPECT_EQ(status, 0) << Err();
    const std::string err = Err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(HostilePeers, ReloadsWhileAFeedServerNeverAnswersKeepOneDownload) {
    TLoopbackHttpServer silent(/*silent=*/true);
    Settings("[headlines.so]\nActive=1\nHard address=" + silent.Address() +
             "/feed\nFresh address=\nReviews address=\n");
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=reloads\nShow=1\n");
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_GT(daemon, 0);
    ASSERT_TRUE(WaitForFirstRow("reloads")) << Err();
    ::kill(daemon, SIGHUP);
    ASSERT_TRUE(WaitUntil([&] { return silent.Requests() >= 1; })) << Err();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long threads = Threads(daemon), descriptors = Descriptors(daemon);
    for (int reload = 0; reload < 12; ++reload) {
        ::kill(daemon, SIGHUP);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
    // Each stopped download ends within about a second; the last one is left waiting.
    EXPECT_TRUE(
        WaitUntil([&] { return Threads(daemon) <= threads && Descriptors(daemon) <= descriptors; },
                  std::chrono::seconds(20)))
        << Threads(daemon) << " threads (" << threads << "), " << Descriptors(daemon)
        << " descriptors (" << descriptors << ")";
    EXPECT_TRUE(Alive(daemon));
    EXPECT_EQ(Terminate(daemon).second, 0) << Err();
}

TEST_F(HostilePeers, AMailListCutShortIsAnErrorNotACount) {
    TCuttingPop3 pop3;
    Settings("[postwatch.so]\nActive=1\n[Mail]\nServer=127.0.0.1:" + std::to_string(pop3.Port()) +
             "\nUser=u\nPass=\nCheck timeout=1\n");
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=mail $mailNew[,,2,4]$\nShow=1\n");
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_GT(daemon, 0);
    EXPECT_TRUE(WaitUntil([&] { return pop3.Lists() >= 1; })) << Err();
    EXPECT_TRUE(WaitForFirstRow("mail ?")) << ::testing::PrintToString(PanelRows()) << Err();
    EXPECT_EQ(Terminate(daemon).second, 0) << Err();
}

TEST_F(HostilePeers, APlayerBlockThatShrinksOrIsNotSafeReadsAsNoPlayer) {
    TPrivateBlocks blocks;
    auto block = TSharedBlock::Create(kMp3DataName, sizeof(TMp3Data), true);
    ASSERT_TRUE(block);
    auto& data = *static_cast<TMp3Data*>(block->Data());
    data.State = msPlaying;
    data.LengthSec = 200;
    data.PositionSec = 50;
    Settings("[playstate.so]\nActive=1\n");
    WriteText(docs / "job.orv3",
              "[One]\nTimeout=0\nLine1=st $mp3Status[,,4,4]$ $mp3PercPosition[,,3,4]$\nShow=1\n");
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_GT(daemon, 0);
    EXPECT_TRUE(WaitForFirstRow("st Play 25")) << ::testing::PrintToString(PanelRows()) << Err();

    // The writer cuts the block to nothing: no fault, no player.
    const std::string name = SharedBlockName(kMp3DataName);
    const int fd = ::shm_open(name.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    EXPECT_TRUE(WaitForFirstRow("st        ")) << ::testing::PrintToString(PanelRows()) << Err();
    EXPECT_TRUE(Alive(daemon)) << Err();

    // Whole again, but writable by anyone: refused with one message.
    ASSERT_EQ(::ftruncate(fd, sizeof(TMp3Data)), 0);
    ASSERT_EQ(::fchmod(fd, 0666), 0);
    data.State = msPlaying;
    data.LengthSec = 200;
    data.PositionSec = 50;
    EXPECT_TRUE(WaitUntil([&] {
        return Err().find("may be written by other users") != std::string::npos;
    })) << Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(PanelRows().at(0).starts_with("st        ")) << PanelRows().at(0);

    // Safe again: read again.
    ASSERT_EQ(::fchmod(fd, 0600), 0);
    EXPECT_TRUE(WaitForFirstRow("st Play 25")) << ::testing::PrintToString(PanelRows()) << Err();
    ::close(fd);
    const long peak = PeakKb(daemon);
    EXPECT_LT(peak, kMemoryLimitKb);
    std::cout << "[ figures  ] shrinking block: peak " << peak << " kB\n";
    EXPECT_EQ(Terminate(daemon).second, 0) << Err();
    const std::string err = Err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(HostilePeers, ListingTagsAndCheckingAJobNeitherDownloadNorWrite) {
    TLoopbackHttpServer server;
    server.ServeAll({200, "application/rss+xml", Rss({"one"})});
    Settings("[headlines.so]\nActive=1\nHard address=" + server.Address() +
             "/feed\n[skycast.so]\nActive=1\n[Weather]\nSource=open-meteo\nCity code=93\nServer=" +
             server.Address() + "\n");
    const std::string settings = ReadText(docs / "Orvanta3.ini");
    WriteText(docs / "job.orv3", "[One]\nLine1=$3dnewsHard[0]$ $tempDay$\nShow=1\n");
    const TRun tags = Run("--list-tags");
    EXPECT_EQ(tags.exitCode, 0) << tags.err;
    EXPECT_NE(tags.out.find("$3dnewsHard"), std::string::npos) << tags.out;
    const TRun check = Run("--check '" + (docs / "job.orv3") + "'");
    EXPECT_EQ(check.exitCode, 0) << check.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_EQ(ReadText(docs / "Orvanta3.ini"), settings);
}
