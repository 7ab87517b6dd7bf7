#include "drivers/lcdd/LcddSettings.h"

#include "base/IniFile.h"
#include "base/TextUtil.h"

namespace orv {

namespace {

constexpr const char* kKeyServer = "Server";
constexpr const char* kKeyPort = "Port";

} // namespace

std::optional<uint16_t> ParseLcddPort(std::string_view text) {
    const std::optional<int32_t> port = ParseInt32(text);
    if (!port || *port < 1 || *port > 65535) return std::nullopt;
    return static_cast<uint16_t>(*port);
}

TLcddAddress ReadLcddAddress(const std::string& settingsPath) {
    const TIniDocument ini = TIniFile(settingsPath).Read();
    TLcddAddress address;
    const std::string server(Trim(ini.ReadString(kLcddSection, kKeyServer, address.host)));
    if (!server.empty()) address.host = server;
    address.port = ParseLcddPort(ini.ReadString(kLcddSection, kKeyPort, "")).value_or(address.port);
    return address;
}

const TPluginSettingKey* LcddSettingKeys() {
    static constexpr TPluginSettingKey kKeys[] = {
        {kLcddSection, kKeyServer, "127.0.0.1", "host name or address of the LCDd server"},
        {kLcddSection, kKeyPort, "13666", "TCP port of the LCDd server (1 to 65535)"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    return kKeys;
}

bool WriteLcddAddress(const std::string& settingsPath, const TLcddAddress& address) {
    return TIniFile(settingsPath).Update([&](TIniDocument& ini) {
        ini.WriteString(kLcddSection, kKeyServer, address.host);
        ini.WriteInteger(kLcddSection, kKeyPort, address.port);
    });
}

} // namespace orv
