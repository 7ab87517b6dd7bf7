// The mailbox settings of section "Mail" and the server they name.
#pragma once

#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "modules/common/StoredPassword.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

class TIniDocument;

// How the connection is protected: none (plain POP3), STARTTLS on the POP3 port, or TLS from
// the start (POP3S).
enum class TMailSecurity { None, StartTls, Tls };

struct TMailSettings {
    std::string Server;
    std::string User;
    std::string Password; // plain
    int32_t CheckTimeoutMin = 10;
    std::string Mask = "%date% от %from%: %subject%"_cp1251;
    char Delimiter = '|';
    TMailSecurity Security = TMailSecurity::None;
    bool AcceptSelfSigned = false;
    std::string PasswordFile; // "Password file": where a headless box keeps the password
};

TMailSettings ReadMailSettings(const TIniDocument& ini);
void WriteMailSettings(TIniDocument& ini, const TMailSettings& settings);

// The keys of [Mail], for the starter settings file (ConstUnit.h, settingKeys).
const TPluginSettingKey* MailSettingKeys();

// The service credential that holds the password (LoadCredential=mail-password:FILE).
inline constexpr const char* kMailPasswordCredential = "mail-password";

// Takes the password from the service's credential when there is one, else from the file
// "Password file" names (relative to settingsFolder), else it stays the one of "Pass". Returns
// one line (UTF-8) when the credential or the file cannot be used; the password is then empty,
// so that a refused file never falls back to another password silently.
std::string TakePasswordFromFile(TMailSettings& settings, const std::string& settingsFolder);

// "none", "starttls", "pop3s" <-> the enum; anything else reads as none.
std::string_view MailSecurityName(TMailSecurity security);
TMailSecurity MailSecurityOf(std::string_view name);

// The address libcurl is given: "pop3://host:110/" or "pop3s://host:995/". "Server" may be
// "host", "host:port", "pop3://host[:port]" or "pop3s://host[:port]"; the pop3s scheme asks for
// TLS whatever security says. Empty when no host is named.
std::string MailboxAddress(std::string_view server, TMailSecurity security);

} // namespace orv
