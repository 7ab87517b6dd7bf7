// The active PPP link of pppd: the first PPP interface (ARPHRD_PPP, normally ppp0) that is up,
// with what pppd's run files and options say about it.
#pragma once

#include "modules/common/SystemTree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

struct TPppLink {
    std::string Interface;             // "ppp0"
    std::string EntryName;             // pppd's linkname, else the peer of "call", else Interface
    std::string DeviceType;            // "modem", "isdn", "PPPoE", "vpn"; empty when not known
    std::string DeviceName;            // "ttyUSB0", the Ethernet interface of PPPoE, ...
    std::optional<int64_t> SpeedBps;   // the serial speed of the options, the NIC's for PPPoE
    std::optional<uint64_t> UpSinceMs; // the unit's pid file time, ms since the epoch
};

// nullopt when no PPP interface is up.
std::optional<TPppLink> FindActivePppLink(const TSystemTree& tree);

// pppd's options as words: /etc/ppp/options, then the command line of process pid with the
// files of "call PEER" (/etc/ppp/peers/PEER) and "file NAME" put in their place.
std::vector<std::string> PppdOptions(const TSystemTree& tree, int64_t pid);

// What the system lacks to have PPP links at all, as one line for the panel, or nullopt: pppd
// needs /dev/ppp, the kernel's ppp_generic driver.
std::optional<std::string> MissingPppSupport(const TSystemTree& tree);

} // namespace orv
