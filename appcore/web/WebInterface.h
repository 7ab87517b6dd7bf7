// The boundary between the program and the web server library it loads when the web interface
// is on (liborvanta3web.so): what the server asks of the program, and the server's entry points.
// Both sides are built from one tree, so C++ types cross it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

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

// ---- The job editor's data (texts UTF-8).
struct TWebLine {
    std::string Text;
    int32_t Align = 0;  // TLineAlign
    int32_t Scroll = 0; // TLineScroll
};

struct TWebScreen {
    std::string Name;
    int32_t ShowTime = 0; // seconds; 0: no limit
    bool Show = true;
    bool Once = false;
    int32_t Transition = 0;
    std::vector<TWebLine> Lines; // line 1 first
};

struct TWebJob {
    std::string File; // relative to the settings folder
    std::vector<TWebScreen> Screens;
    // Which version of the file was read; a save given one refuses to write over another.
    std::string Revision;
};

struct TWebTag {
    std::string Name; // "$time"
    std::string Caption, Hint, Example;
    std::vector<std::pair<std::string, std::string>> Choices; // argument, text
};

struct TWebModule {
    std::string Name;
    std::vector<TWebTag> Tags;
};

// What the server asks of the program; called on the server's thread.
class TWebHost {
public:
    virtual ~TWebHost() = default;
    // The current frame as the JSON of GET /api/panel.
    virtual std::string PanelJson() = 0;
    // action: "next", "previous" or "goto"; false when the screen is outside the job.
    virtual bool Navigate(const std::string& action, int32_t screen) = 0;
    virtual bool Charset(int32_t set) = 0;

    // ---- The job editor.
    // The page's texts in the program's language: key, text.
    virtual std::vector<std::pair<std::string, std::string>> PageTexts() = 0;
    // The job files a page may open, sorted, and the loaded one (empty when it is not among them).
    virtual std::vector<std::string> JobFiles(std::string& current) = 0;
    // The names of the screen transitions, by number.
    virtual std::vector<std::string> Transitions() = 0;
    // A job of JobFiles (empty: the loaded one); false when it is none or cannot be read.
    virtual bool ReadJob(const std::string& file, TWebJob& job) = 0;
    // What a change answers: 200, or the status and the reason nothing was changed.
    struct TAnswer {
        int Status = 200;
        std::string Error;
    };
    // Writes a job of JobFiles (an empty File: the loaded one, named in File then; 404: none of
    // them; 409: the file is no longer the revision the job names); the loaded one is shown at
    // once. The file's new revision goes to job.
    virtual TAnswer SaveJob(TWebJob& job) = 0;
    // Shows the screen on the panel as the editor's preview does; null ends the preview.
    virtual std::string Preview(const TWebScreen* screen) = 0;
    // The tag tree of the data modules that are on.
    virtual std::vector<TWebModule> Catalogue() = 0;
    // The settings page: the common settings, the modules and the drivers, as GET
    // /api/settings answers.
    virtual nlohmann::json SettingsState() = 0;
    // Checks every value of body (an object), then writes them to the settings file in one
    // update and applies them; 400: a bad value, 409: the file is not writable, nothing
    // written either way.
    virtual TAnswer PutSettings(const nlohmann::json& body) = 0;
};

class TWebServer {
public:
    virtual ~TWebServer() = default; // stops the server and waits for its thread
    // A frame reached the panel: wakes the watchers. From the display thread; never blocks
    // on a client.
    virtual void FrameShown() = 0;
    // The job was saved or read again: watchers get "event: job". From any thread.
    virtual void JobChanged() = 0;
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
