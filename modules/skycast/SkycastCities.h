// The cities of the settings dialog's menu: the weather export's city code, and the place the
// forecast service is asked about.
#pragma once

#include <cstdint>
#include <span>

namespace orv {

struct TCity {
    const char* Group; // submenu, UTF-8
    const char* Name;  // UTF-8
    int32_t Code;
    double Latitude;
    double Longitude;
};

// In menu order: "Украина", "Россия", "Беларусь", each sorted by name.
std::span<const TCity> Cities();

// nullptr for a code that is not in the menu.
const TCity* CityByCode(int32_t code);

} // namespace orv
