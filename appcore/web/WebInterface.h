// The boundary between the program and the web server library it loads when the web interface
// is on (liborvanta3web.so): what the server asks of the program, and the server's entry points.
// Both sides are built from one tree, so C++ types cross it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace orv {

struct TWebConfig {
    std::string Address = "127.0.0.1"; // numeric IPv4 or IPv6 address to listen on
    uint16_t Port = 8080;
    std::string PasswordHash;   // crypt() hash ($y$...); empty: none set
    std::string CertificatePem; // both set: HTTPS
    std::string KeyPem;
    std::string Language = "ru"; // "ru" or "en"
};

// True for 127.0.0.0/8 and ::1.
bool IsLoopbackAddress(const std::string& address);

// What the server asks of the program; called on the server's thread.
class TWebHost {
public:
    virtual ~TWebHost() = default;
    // The current frame as the JSON of GET /api/panel.
    virtual std::string PanelJson() = 0;
    // action: "next", "previous" or "goto"; false when the screen is outside the job.
    virtual bool Navigate(const std::string& action, int32_t screen) = 0;
    virtual bool Charset(int32_t set) = 0;

    // The job editor's reads. {"files":[...],"current":"..."}: the job files (*.orv3) of the
    // settings folder and the loaded job, by the names JobJson takes.
    virtual std::string JobsJson() = 0;
    // The job of one of those names (empty: the loaded job) as the editor's JSON; empty when the
    // name is none of them or the file cannot be read.
    virtual std::string JobJson(const std::string& file) = 0;
};

class TWebServer {
public:
    virtual ~TWebServer() = default; // stops the server and waits for its thread
    // A frame reached the panel: wakes the watchers. From the display thread; never blocks
    // on a client.
    virtual void FrameShown() = 0;
};

} // namespace orv

// The library's entry points, looked up with dlsym.
extern "C" {
// Starts listening; null and the reason in error when it cannot.
using TOrvanta3WebStart = orv::TWebServer* (*)(const orv::TWebConfig& config, orv::TWebHost& host,
                                               std::string& error);
// A fresh salted yescrypt hash of password into hash; false and the reason in error when it fails.
using TOrvanta3WebHashPassword = bool (*)(const std::string& password, std::string& hash,
                                          std::string& error);
}

inline constexpr const char* kWebStartSymbol = "Orvanta3WebStart";
inline constexpr const char* kWebHashPasswordSymbol = "Orvanta3WebHashPassword";
inline constexpr const char* kWebLibraryName = "liborvanta3web.so";
