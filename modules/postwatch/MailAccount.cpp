#include "modules/postwatch/MailAccount.h"

#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/TextUtil.h"
#include "modules/common/SecretFile.h"
#include "modules/common/StoredPassword.h"

namespace orv {

namespace {

constexpr const char* kSection = "Mail";

} // namespace

std::string_view MailSecurityName(TMailSecurity security) {
    switch (security) {
    case TMailSecurity::StartTls: return "starttls";
    case TMailSecurity::Tls: return "pop3s";
    default: return "none";
    }
}

TMailSecurity MailSecurityOf(std::string_view name) {
    name = Trim(name);
    if (EqualsNoCase(name, "starttls")) return TMailSecurity::StartTls;
    if (EqualsNoCase(name, "tls") || EqualsNoCase(name, "pop3s")) return TMailSecurity::Tls;
    return TMailSecurity::None;
}

TMailSettings ReadMailSettings(const TIniDocument& ini) {
    TMailSettings s;
    s.Server = std::string(Trim(ini.ReadString(kSection, "Server", "")));
    s.User = ini.ReadString(kSection, "User", "");
    s.Password = ScramblePassword(ini.ReadString(kSection, "Pass", ""));
    s.CheckTimeoutMin = ini.ReadInteger(kSection, "Check timeout", s.CheckTimeoutMin);
    s.Mask = ini.ReadString(kSection, "Mask", s.Mask);
    const std::string delimiter = ini.ReadString(kSection, "Delimiter", "|");
    s.Delimiter = delimiter.empty() ? ' ' : delimiter[0];
    s.Security = MailSecurityOf(ini.ReadString(kSection, "Security", "none"));
    s.AcceptSelfSigned = ini.ReadBool(kSection, "Accept self-signed", false);
    s.PasswordFile = std::string(Trim(ini.ReadString(kSection, "Password file", "")));
    return s;
}

void WriteMailSettings(TIniDocument& ini, const TMailSettings& s) {
    ini.WriteString(kSection, "Server", s.Server);
    ini.WriteString(kSection, "User", s.User);
    ini.WriteString(kSection, "Pass", StoredPassword(s.Password));
    ini.WriteInteger(kSection, "Check timeout", s.CheckTimeoutMin);
    ini.WriteString(kSection, "Mask", s.Mask);
    ini.WriteString(kSection, "Delimiter", std::string(1, s.Delimiter));
    ini.WriteString(kSection, "Security", MailSecurityName(s.Security));
    ini.WriteBool(kSection, "Accept self-signed", s.AcceptSelfSigned);
}

const TPluginSettingKey* MailSettingKeys() {
    static constexpr TPluginSettingKey kKeys[] = {
        {kSection, "Server", "", "the POP3 server: host, host:port, pop3://host or pop3s://host"},
        {kSection, "User", "", "the user name of the mailbox"},
        {kSection, "Password file", "",
         "file holding the password on its first line, readable by its owner only (chmod 600); "
         "a service's credential mail-password comes first"},
        {kSection, "Pass", "", "the password scrambled as the desktop program's dialog stores it"},
        {kSection, "Check timeout", "10", "minutes between two checks of the mailbox"},
        {kSection, "Mask", "%date% от %from%: %subject%",
         "how $mailDetails shows a message: %date%, %from%, %subject%, %size%"},
        {kSection, "Delimiter", "|", "the character between two messages' details"},
        {kSection, "Security", "none",
         "none (plain POP3), starttls (STARTTLS on port 110) or pop3s (TLS on port 995)"},
        {kSection, "Accept self-signed", "0",
         "1 accepts a server certificate no authority signed (0 or 1)"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    return kKeys;
}

std::string TakePasswordFromFile(TMailSettings& settings, const std::string& settingsFolder) {
    std::string path;
    if (const auto credential = ServiceCredentialPath(kMailPasswordCredential))
        path = *credential;
    else if (!settings.PasswordFile.empty())
        path = settings.PasswordFile.starts_with('/') || settingsFolder.empty()
                   ? settings.PasswordFile
                   : settingsFolder + "/" + settings.PasswordFile;
    else
        return {};
    std::string problem;
    const auto secret = ReadSecretFile(path, problem);
    settings.Password = secret ? FileTextToCp1251(*secret) : std::string();
    return problem;
}

std::string MailboxAddress(std::string_view server, TMailSecurity security) {
    server = Trim(server);
    bool tls = security == TMailSecurity::Tls;
    if (const size_t scheme = server.find("://"); scheme != std::string_view::npos) {
        const std::string_view name = server.substr(0, scheme);
        if (EqualsNoCase(name, "pop3s"))
            tls = true;
        else if (!EqualsNoCase(name, "pop3"))
            return {};
        server.remove_prefix(scheme + 3);
    }
    server = server.substr(0, server.find('/'));
    if (server.empty()) return {};
    std::string_view host = server;
    std::string_view port;
    if (server.front() == '[') { // [IPv6]:port
        const size_t close = server.find(']');
        if (close == std::string_view::npos) return {};
        host = server.substr(0, close + 1);
        if (close + 1 < server.size() && server[close + 1] == ':') port = server.substr(close + 2);
    } else if (const size_t colon = server.rfind(':');
               colon != std::string_view::npos && server.find(':') == colon) {
        host = server.substr(0, colon);
        port = server.substr(colon + 1);
    }
    int32_t number = tls ? 995 : 110;
    if (!port.empty()) {
        const auto parsed = ParseInt32(port);
        if (!parsed || *parsed < 1 || *parsed > 65535) return {};
        number = *parsed;
    }
    if (host.empty()) return {};
    return std::string(tls ? "pop3s://" : "pop3://") + std::string(host) + ":" +
           std::to_string(number) + "/";
}

} // namespace orv
