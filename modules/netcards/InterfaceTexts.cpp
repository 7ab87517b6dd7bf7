#include "modules/netcards/InterfaceTexts.h"

#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <cstdlib>
#include <net/if.h>
#include <net/if_arp.h>
#include <sstream>

namespace orv {

namespace {

bool IsWan(const TNetInterface& row) {
    if (!row.LinkType) return false;
    switch (*row.LinkType) {
    case ARPHRD_PPP:
    case ARPHRD_SLIP:
    case ARPHRD_CSLIP:
    case ARPHRD_SLIP6:
    case ARPHRD_CSLIP6: return true;
    default: return false;
    }
}

// udev writes "\x20" for bytes it does not keep as they are in its *_ENC properties.
std::string DecodeUdevEscapes(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            const std::string hex(text.substr(i + 2, 2));
            char* end = nullptr;
            const long byte = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out += static_cast<char>(byte);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The model from udev's record of the device: the hardware database's name first, else the
// name the device reports.
std::string UdevModel(const TSystemTree& tree, int64_t ifindex) {
    const auto data = tree.Read("/run/udev/data/n" + std::to_string(ifindex));
    if (!data) return {};
    std::string fromDatabase, encoded, plain;
    std::istringstream in(*data);
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view l = line;
        if (l.starts_with("E:ID_MODEL_FROM_DATABASE="))
            fromDatabase = l.substr(25);
        else if (l.starts_with("E:ID_MODEL_ENC="))
            encoded = DecodeUdevEscapes(l.substr(15));
        else if (l.starts_with("E:ID_MODEL="))
            plain = l.substr(11);
    }
    for (const std::string* model : {&fromDatabase, &encoded, &plain})
        if (!Trim(*model).empty()) return std::string(Trim(*model));
    return {};
}

} // namespace

std::string InterfaceDescription(const TSystemTree& tree, const TNetInterface& row) {
    std::string model = UdevModel(tree, row.Index);
    if (model.empty()) // a USB adapter: "device" is its USB interface, the parent the device
        model = tree.ReadLine("/sys/class/net/" + row.Name + "/device/../product").value_or("");
    if (model.empty()) return row.Name;
    return row.Name + " (" + Utf8ToCp1251(model) + ")";
}

std::string InterfaceTypeText(const TNetInterface& row) {
    if (!row.LinkType) return {};
    switch (*row.LinkType) {
    case ARPHRD_ETHER:
    case ARPHRD_IEEE80211:
    case ARPHRD_IEEE80211_PRISM:
    case ARPHRD_IEEE80211_RADIOTAP: return "Ethernet";
    case ARPHRD_IEEE802_TR: return "TockenRing";
    case ARPHRD_FDDI: return "FDDI";
    case ARPHRD_PPP: return "PPP";
    case ARPHRD_LOOPBACK: return "Loopback";
    case ARPHRD_SLIP:
    case ARPHRD_CSLIP:
    case ARPHRD_SLIP6:
    case ARPHRD_CSLIP6: return "SLIP";
    default: return "other";
    }
}

std::string InterfaceStateText(const TNetInterface& row) {
    const bool up = (row.Flags & IFF_UP) != 0;
    const bool running = row.Carrier.value_or(false);
    const char* connected = IsWan(row) ? "Connected" : "Operational";
    const char* noCarrier = IsWan(row) ? "WAN adapter not connected" : "Cable disconnected";
    const std::string& state = row.OperState;
    if (state == "up") return connected;
    if (state == "dormant") return "Connecting...";
    if (state == "lowerlayerdown") return noCarrier;
    if (state == "notpresent") return "Disabled";
    if (state == "down") return up ? noCarrier : "Disabled";
    // Drivers that keep no operational state (loopback, tun) say "unknown": flags and carrier
    // tell.
    if (state == "unknown") return !up ? "Disabled" : running ? connected : noCarrier;
    return {};
}

} // namespace orv
