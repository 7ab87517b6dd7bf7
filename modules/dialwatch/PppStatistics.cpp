#include "modules/dialwatch/PppStatistics.h"

#include <cstring>
#include <net/if.h>
#include <net/if_ppp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orv {

namespace {

class TSocket {
public:
    TSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~TSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

template <typename TRequest>
bool AskInterface(int fd, unsigned long request, const std::string& interfaceName,
                  TRequest& answer) {
    if (interfaceName.empty() || interfaceName.size() >= IFNAMSIZ) return false;
    std::memset(&answer, 0, sizeof answer);
    std::memcpy(answer.b.ifr_name, interfaceName.c_str(), interfaceName.size());
    answer.b.ifr_data = reinterpret_cast<char*>(&answer.stats);
    return ::ioctl(fd, request, &answer) == 0;
}

} // namespace

int32_t CompressionPercent(uint64_t uncompressed, uint64_t compressed, uint64_t incompressible) {
    const uint64_t sent = compressed + incompressible;
    if (uncompressed == 0 || compressed == 0 || sent >= uncompressed) return 0;
    return static_cast<int32_t>((uncompressed - sent) * 100 / uncompressed);
}

std::optional<TPppCounters> TPppIoctlStatistics::Read(const std::string& interfaceName) {
    const TSocket socket;
    if (socket.Fd() < 0) return std::nullopt;
    ifpppstatsreq traffic{};
    if (!AskInterface(socket.Fd(), SIOCGPPPSTATS, interfaceName, traffic)) return std::nullopt;
    TPppCounters counters{.BytesIn = traffic.stats.p.ppp_ibytes,
                          .BytesOut = traffic.stats.p.ppp_obytes,
                          .CompressionInPercent = 0,
                          .CompressionOutPercent = 0};
    ifpppcstatsreq compression{};
    if (AskInterface(socket.Fd(), SIOCGPPPCSTATS, interfaceName, compression)) {
        const compstat& in = compression.stats.d;  // the decompressor: what came in
        const compstat& out = compression.stats.c; // the compressor: what went out
        counters.CompressionInPercent =
            CompressionPercent(in.unc_bytes, in.comp_bytes, in.inc_bytes);
        counters.CompressionOutPercent =
            CompressionPercent(out.unc_bytes, out.comp_bytes, out.inc_bytes);
    }
    const std::string statistics = "/sys/class/net/" + interfaceName + "/statistics/";
    if (const auto rx = tree_.ReadUnsigned(statistics + "rx_bytes")) counters.BytesIn = *rx;
    if (const auto tx = tree_.ReadUnsigned(statistics + "tx_bytes")) counters.BytesOut = *tx;
    return counters;
}

} // namespace orv
