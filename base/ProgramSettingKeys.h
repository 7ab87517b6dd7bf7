// Keys of the program's settings file that plug-ins read as well. The program's own table of
// settings (host/SettingKeys.cpp) names them from here, so the two spellings cannot drift.
#pragma once

#include <array>
#include <cstdint>

namespace orv {

inline constexpr char kCommonSection[] = "Common";
inline constexpr char kLanguageKey[] = "Language";

inline constexpr char kINetSection[] = "INet";
inline constexpr char kProxyKey[] = "Proxy";
inline constexpr char kProxyPortKey[] = "ProxyPort";
inline constexpr int32_t kDefaultProxyPort = 8080;

// The bar-drawing roles and the display codes they stand for when the file has none.
inline constexpr char kCharsetMappingSection[] = "Custom charset mapping";

struct TCharsetMappingKey {
    const char* Key;
    uint8_t Default;
};

// In key order: hb_0..hb_7, vb_0..vb_7, cust_0..cust_7.
inline constexpr int kCharsetMappingCount = 24;
inline constexpr int kHorizontalBarRoles = 0;
inline constexpr int kVerticalBarRoles = 8;
inline constexpr int kBarRoleCount = 8;

inline constexpr std::array<TCharsetMappingKey, kCharsetMappingCount> kCharsetMappingKeys = {{
    {"hb_0", 1},   {"hb_1", 2},   {"hb_2", 3},   {"hb_3", 4},   {"hb_4", 5},   {"hb_5", 6},
    {"hb_6", 7},   {"hb_7", 8},   {"vb_0", 8},   {"vb_1", 7},   {"vb_2", 6},   {"vb_3", 5},
    {"vb_4", 4},   {"vb_5", 3},   {"vb_6", 2},   {"vb_7", 1},   {"cust_0", 1}, {"cust_1", 2},
    {"cust_2", 3}, {"cust_3", 4}, {"cust_4", 5}, {"cust_5", 6}, {"cust_6", 7}, {"cust_7", 8},
}};

} // namespace orv
