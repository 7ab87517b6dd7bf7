#include "modules/netcards/NetInterfaces.h"

#include "base/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace orv {

namespace {

const std::string kClassNet = "/sys/class/net/";

// /proc/net/dev: "  eth0: rxBytes rxPackets rxErrs rxDrop rxFifo rxFrame rxCompressed
// rxMulticast txBytes txPackets txErrs ..." after two heading lines.
std::vector<TNetInterface> ReadProcNetDev(const TSystemTree& tree) {
    std::vector<TNetInterface> rows;
    const auto text = tree.Read("/proc/net/dev");
    if (!text) return rows;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::istringstream fields(line.substr(colon + 1));
        uint64_t value[11] = {};
        bool complete = true;
        for (uint64_t& v : value) complete = complete && static_cast<bool>(fields >> v);
        if (!complete) continue;
        TNetInterface row;
        row.Name = std::string(Trim(std::string_view(line).substr(0, colon)));
        row.Index = static_cast<int64_t>(rows.size()) + 1;
        row.Counters = {.RxBytes = value[0],
                        .TxBytes = value[8],
                        .RxPackets = value[1],
                        .TxPackets = value[9],
                        .RxMulticast = value[7],
                        .RxErrors = value[2],
                        .TxErrors = value[10]};
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<uint64_t> ParseHex(std::string_view text) {
    if (text.starts_with("0x")) text.remove_prefix(2);
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// Interface names of /sys/class/net in ifindex order (loopback first).
std::vector<std::string> NetInterfaceNames(const TSystemTree& tree) {
    std::vector<std::pair<int64_t, std::string>> indexed;
    for (std::string& name : tree.List(kClassNet)) {
        const int64_t index = tree.ReadInteger(kClassNet + name + "/ifindex").value_or(INT64_MAX);
        indexed.emplace_back(index, std::move(name));
    }
    std::sort(indexed.begin(), indexed.end());
    std::vector<std::string> names;
    names.reserve(indexed.size());
    for (auto& [index, name] : indexed) names.push_back(std::move(name));
    return names;
}

// One interface with its attributes and counters; missing files leave their fields at the
// defaults.
TNetInterface ReadNetInterface(const TSystemTree& tree, const std::string& name) {
    const std::string folder = kClassNet + name + "/";
    TNetInterface row;
    row.Name = name;
    row.Index = tree.ReadInteger(folder + "ifindex").value_or(0);
    row.LinkType = tree.ReadInteger(folder + "type");
    if (const auto speed = tree.ReadInteger(folder + "speed"); speed && *speed >= 0)
        row.SpeedMbps = speed;
    row.OperState = tree.ReadLine(folder + "operstate").value_or("");
    row.Flags = ParseHex(tree.ReadLine(folder + "flags").value_or("")).value_or(0);
    if (const auto carrier = tree.ReadInteger(folder + "carrier")) row.Carrier = *carrier != 0;
    const auto counter = [&](const char* file) {
        return tree.ReadUnsigned(folder + "statistics/" + file).value_or(0);
    };
    row.Counters = {.RxBytes = counter("rx_bytes"),
                    .TxBytes = counter("tx_bytes"),
                    .RxPackets = counter("rx_packets"),
                    .TxPackets = counter("tx_packets"),
                    .RxMulticast = counter("multicast"),
                    .RxErrors = counter("rx_errors"),
                    .TxErrors = counter("tx_errors")};
    return row;
}

} // namespace

std::vector<TNetInterface> ReadNetInterfaces(const TSystemTree& tree) {
    std::vector<TNetInterface> rows;
    for (const std::string& name : NetInterfaceNames(tree))
        rows.push_back(ReadNetInterface(tree, name));
    return rows.empty() ? ReadProcNetDev(tree) : rows;
}

} // namespace orv
