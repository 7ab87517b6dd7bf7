// The texts that describe a network interface: its description, its type and its state, in
// the words the adapter table has always used ("Ethernet", "Operational", ...).
#pragma once

#include "modules/netcards/NetInterfaces.h"
#include "modules/common/SystemTree.h"

#include <string>

namespace orv {

// The interface name, followed by the device's model in brackets where udev's database
// (/run/udev/data/nIFINDEX) or the USB device's sysfs "product" names one. Windows-1251.
std::string InterfaceDescription(const TSystemTree& tree, const TNetInterface& row);

// "Ethernet" (wired and wireless), "PPP", "Loopback", "SLIP", "TockenRing", "FDDI", or "other"
// for every other link type; empty when the type is unknown.
std::string InterfaceTypeText(const TNetInterface& row);

// From operstate, the IFF_UP flag and the carrier: "Operational" (a LAN link that is up),
// "Connected" (a PPP or SLIP link that is up), "Connecting..." (dormant, e.g. authenticating),
// "Cable disconnected" (up but without carrier; a PPP or SLIP link: "WAN adapter not
// connected"), "Disabled" (switched off or absent); empty when the state is not known.
std::string InterfaceStateText(const TNetInterface& row);

} // namespace orv
