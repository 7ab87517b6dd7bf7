// The web interface on the program's side: the [Web] settings, the server library loaded with
// dlopen only when the interface is on, and the program's answers to the server (the panel's
// frames, screen and character set requests). Off, none of it runs or is loaded.
#pragma once

#include "appcore/web/WebInterface.h"
#include "engine/ControlThread.h"
#include "host/ProgramMessages.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <optional>
#include <string>

namespace orv {

class TApplicationCore;

// The [Web] keys of the settings file.
struct TWebSettings {
    bool Active = false;
    std::string Address = "127.0.0.1";
    uint16_t Port = 8080;
    std::string PasswordHash;
    std::string Certificate; // file names, relative ones from the settings folder
    std::string Key;
};

TWebSettings ReadWebSettings(const std::string& settingsPath);

// "ADDRESS:PORT" ("[v6]:PORT" for IPv6); none when it is not one.
std::optional<std::pair<std::string, uint16_t>> ParseWebAddress(const std::string& text);

// Why the interface cannot start with these settings (an address that is not loopback without
// a password, no port); empty when it can try.
std::string WebSettingsProblem(const TWebSettings& settings);

// Writes the hash of password as PasswordHash of [Web]; the reason it failed, else empty.
std::string StoreWebPassword(const std::string& settingsPath, const std::string& password);

class TWebInterface final : private TWebHost, private TFrameSink {
public:
    explicit TWebInterface(TApplicationCore& core);
    ~TWebInterface() override; // Stop
    TWebInterface(const TWebInterface&) = delete;
    TWebInterface& operator=(const TWebInterface&) = delete;

    // Loads the library and listens; false and Error() when it cannot (no password for an
    // address other than loopback, a port in use, an unreadable certificate...).
    bool Start(const TWebSettings& settings);
    void Stop();
    const std::string& Error() const { return error_; }

    // How a program reloads the settings and the job (the reason it failed, else empty) and
    // runs a read of the core that no reload changes meanwhile. Without them a saved job is not
    // shown until the program reloads it.
    using TReload = std::function<std::string()>;
    using TWithCore = std::function<std::string(const std::function<std::string()>&)>;
    void SetCoreAccess(TReload reload, TWithCore withCore);
    // The job was read again: the page's watchers hear of it.
    void JobChanged();

private:
    std::string PanelJson() override;
    bool Navigate(const std::string& action, int32_t screen) override;
    bool Charset(int32_t set) override;
    void ShowFrame(const std::vector<std::string>& rows) override;

    // ---- The job editor.
    std::vector<std::pair<std::string, std::string>> PageTexts() override;
    std::vector<std::string> JobFiles(std::string& current) override;
    std::vector<std::string> Transitions() override;
    bool ReadJob(const std::string& file, TWebJob& job) override;
    TAnswer SaveJob(TWebJob& job) override;
    std::string Preview(const TWebScreen* screen) override;
    std::vector<TWebModule> Catalogue() override;
    std::string WithCore(const std::function<std::string()>& read);
    // Messages first.. of the program in its language, in UTF-8.
    std::vector<std::string> ProgramTexts(int first, size_t count);
    std::mutex messagesMutex_;
    std::string messagesLanguage_;               // the language messages_ holds
    std::unique_ptr<TProgramMessages> messages_; // read at the first use of a language
    struct TJobList {
        std::string Folder;             // the settings folder
        std::string Loaded;             // the loaded job's path as it was loaded
        std::string Current;            // the loaded job's name among Files
        std::vector<std::string> Files; // sorted, the loaded job's first when outside them
        // The file of a listed name (empty: the loaded job); empty for any other name.
        std::string PathOf(const std::string& name) const;
    };
    TJobList ListJobs();
    void EndPreview(bool resumeDisplay); // under previewMutex_
    TReload reload_;
    TWithCore withCore_;
    std::mutex previewMutex_;
    std::atomic<bool> previewing_{false}; // the display thread is stopped for the preview
    std::jthread preview_;
    // The settings page (WebCoreSettings.cpp).
    nlohmann::json SettingsState() override;
    TAnswer PutSettings(const nlohmann::json& body) override;

    TApplicationCore& core_;
    std::unique_ptr<TWebServer> server_;
    std::atomic<uint64_t> frames_{0};
    std::string error_;
    std::mutex settingsMutex_; // one settings save at a time
};

} // namespace orv
