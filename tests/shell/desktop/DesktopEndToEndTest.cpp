// orvanta3 as a user runs it, on a private X server: the built program with an autoloaded job,
// the real drivers and modules, the emulated 4 x 20 panel and a temporary documents folder.
#include "base/IniFile.h"
#include "tests/support/LoopbackPort.h"
#include "tests/shell/desktop/DesktopRig.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/XvfbServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace orv::test {
namespace {

const std::string kProgram = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3";
const std::string kCtl = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3ctl";

class DesktopEndToEnd : public ::testing::Test, protected TDesktopRig {
protected:
    void SetUp() override {
        if (!ProgramExists("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
        xvfb = std::make_unique<TXvfbServer>(docs / "xvfb.log");
        ASSERT_FALSE(xvfb->Display().empty()) << ReadText(docs / "xvfb.log");
        ::setenv("DISPLAY", xvfb->Display().c_str(), 1);
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        ::setenv("XDG_DOCUMENTS_DIR", docs.Path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (docs / "config").c_str(), 1);
        ::setenv("ORVANTA3_PORTIO", portio.c_str(), 1);
        ASSERT_TRUE(bus.Running());
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
        ::setenv("ORVANTA3_SHM_SUFFIX", ("-desktop-e2e-" + std::to_string(::getpid())).c_str(), 1);
    }

    bool WaitForRows(const std::string& row1, const std::string& row2) {
        return WaitForPanel(state, [&](const auto& rows) {
            return rows.size() == 4 && rows[0].starts_with(row1) && rows[1].starts_with(row2);
        });
    }

    std::unique_ptr<TXvfbServer> xvfb;
    TPrivateSessionBus bus;
};

TEST_F(DesktopEndToEnd, AutoloadedJobRunsOnThePanelStepsByRemoteAndSigtermLeavesTheQuitMessage) {
    WriteAutoloadSettings("Show splash-screen=1\nQuitMsg=Good bye!\nQuitMsg line2=see you\n");
    AppendSettings("[Virtual screen]\nShow=1\n");
    WriteText(JobPath(), "[First]\nLine1=Screen one\nLine2=$time[5]$\nShow=1\nTimeout=0\n"
                         "[Second]\nLine1=Screen two\nShow=1\nTimeout=0\n");
    TChildProcess program({kProgram}, docs / "program.log");
    ASSERT_TRUE(program.Started());
    EXPECT_TRUE(WaitForPanel(state, [](const auto& rows) {
        return rows.size() == 4 && rows[0].starts_with("Screen one") && rows[1].find(':') < 5;
    })) << ReadText(docs / "program.log");

    // orvanta3ctl steps the screens through the session bus.
    EXPECT_TRUE(RunProgram({kCtl, "next"}, docs / "ctl.log")) << ReadText(docs / "ctl.log");
    EXPECT_TRUE(WaitForRows("Screen two", ""));

    EXPECT_EQ(program.Stop(SIGTERM), 0) << ReadText(docs / "program.log");
    EXPECT_TRUE(WaitForRows("Good bye!", "see you"));
    EXPECT_FALSE(std::filesystem::exists(LockFile()));
}

size_t AppendBody(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// One request to the web interface on loopback with the cookies of cookies: the status, the
// body into body.
long WebRequest(CURLSH* cookies, int port, const std::string& method, const std::string& path,
                const std::string& token, const std::string& send, std::string& body) {
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_SHARE, cookies);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    if (method != "GET") curl_easy_setopt(curl, CURLOPT_POSTFIELDS, send.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_slist* headers = nullptr;
    if (!token.empty())
        headers = curl_slist_append(headers, ("X-Orvanta3-Token: " + token).c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return status;
}

// The desktop program's web interface reads and reloads the core on the program's own thread: a
// job saved on the page is shown at once, and the program quits while pages keep asking.
TEST_F(DesktopEndToEnd, AJobSavedOnTheWebPageIsShownAndTheProgramStillQuits) {
    using json = nlohmann::json;
    const int port = FreeLoopbackPort();
    WriteAutoloadSettings("Show splash-screen=0\n");
    AppendSettings("[Web]\nActive=1\nAddress=127.0.0.1:" + std::to_string(port) + "\n");
    WriteText(JobPath(), "[First]\nLine1=Screen one\nShow=1\nTimeout=0\n");
    TChildProcess program({kProgram}, docs / "program.log");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitForRows("Screen one", "")) << ReadText(docs / "program.log");

    CURLSH* cookies = curl_share_init();
    curl_share_setopt(cookies, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    std::string session;
    ASSERT_TRUE(WaitUntil([&] {
        session.clear();
        return WebRequest(cookies, port, "GET", "/api/session", {}, {}, session) == 200;
    })) << ReadText(docs / "program.log");
    const std::string token = json::parse(session).value("token", "");
    std::string read;
    ASSERT_EQ(WebRequest(cookies, port, "GET", "/api/job", token, {}, read), 200) << read;
    json job = json::parse(read);
    EXPECT_EQ(job["file"], "job.orv3");
    job["screens"][0]["lines"][0]["text"] = "Saved on the page";
    std::string saved;
    EXPECT_EQ(WebRequest(cookies, port, "PUT", "/api/job", token, job.dump(), saved), 200) << saved;
    EXPECT_TRUE(WaitForRows("Saved on the page", ""));

    // Pages asking all the time while the program quits: it quits, and says good-bye.
    std::atomic<bool> asking{true};
    std::thread pages([&] {
        while (asking) {
            std::string body;
            WebRequest(cookies, port, "GET", "/api/jobs", token, {}, body);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(program.Stop(SIGTERM), 0) << ReadText(docs / "program.log");
    asking = false;
    pages.join();
    curl_share_cleanup(cookies);
}

// A fresh home under a window manager: the first start has no settings file and so no driver.
// The box that says so must show above the start-up window (which stays on top while the
// program starts), and answering it lets the start-up go on to the main window.
// /create_lang_file in a copy of the program with the weather module and the text panel
// driver: each language file gets section "RU" with the descriptor's keys (a data module's)
// and its settings dialog's.
TEST_F(DesktopEndToEnd, TheTemplateSwitchWritesThePluginDialogsKeys) {
    const std::filesystem::path built = ORVANTA3_OUTPUT_DIR, copy = docs / "program";
    for (const char* file : {"orvanta3", "libdlportio.so", "plugins/software/skycast.so",
                             "plugins/software/ui/skycast.so", "plugins/software/skycast.lng",
                             "plugins/hardware/textport.so", "plugins/hardware/ui/textport.so"}) {
        std::filesystem::create_directories((copy / file).parent_path());
        std::filesystem::copy_file(built / file, copy / file);
    }
    WriteSettings("[skycast.so]\nActive=1\n[Weather]\nServer=http://127.0.0.1:9\n");
    TChildProcess program({copy / "orvanta3", "/create_lang_file"}, docs / "program.log");
    ASSERT_TRUE(program.Started());
    const auto keys = [](const std::filesystem::path& file) { return TIniFile(file).Keys("RU"); };
    const auto has = [](const std::vector<std::string>& all, const std::string& key) {
        return std::find(all.begin(), all.end(), key) != all.end();
    };
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto weather = keys(copy / "plugins/software/skycast.lng");
            const auto driver = keys(copy / "plugins/hardware/textport.lng");
            return has(weather, "2_001") && has(weather, "7_20011") && has(weather, "7_70053") &&
                   has(driver, "7_1") && has(driver, "7_50151");
        },
        std::chrono::seconds(90)))
        << ReadText(docs / "program.log");
    EXPECT_EQ(program.Stop(SIGTERM), 0) << ReadText(docs / "program.log");
    const TIniFile weather(copy / "plugins/software/skycast.lng");
    EXPECT_EQ(Cp1251ToUtf8(weather.ReadString("RU", "7_20011", "")), "Код Вашего города:");
}

struct TScreenRect {
    int X = 0, Y = 0, W = 0, H = 0, Other = 0;
    bool Empty() const { return W <= 0 || H <= 0; }
    bool Meets(const TScreenRect& o) const {
        return X < o.X + o.W && o.X < X + W && Y < o.Y + o.H && o.Y < Y + H;
    }
};
std::ostream& operator<<(std::ostream& out, const TScreenRect& r) {
    return out << r.X << "," << r.Y << " " << r.W << "x" << r.H;
}

class DesktopFirstStart : public DesktopEndToEnd {
protected:
    void SetUp() override {
        for (const char* tool : {"icewm", "xprop", "xdotool"})
            if (!ProgramExists(tool)) GTEST_SKIP() << tool << " is not installed";
        DesktopEndToEnd::SetUp();
        ::setenv("HOME", (docs / "home").c_str(), 1);
        std::filesystem::create_directories(docs / "home");
        windowManager = std::make_unique<TChildProcess>(
            std::vector<std::string>{"icewm", "--replace"}, docs / "icewm.log");
        ASSERT_TRUE(Eventually([&] {
            return Output({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
                   std::string::npos;
        })) << ReadText(docs / "icewm.log");
    }

    std::string Output(const std::vector<std::string>& args) {
        const std::string out = docs / "tool.out";
        std::filesystem::remove(out);
        RunProgram(args, out);
        return ReadText(out);
    }

    static bool Eventually(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        while (std::chrono::steady_clock::now() < end) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }

    struct TClient {
        std::string Id;
        std::string Properties; // its name and type, as xprop prints them
    };
    // The managed windows, bottom to top.
    std::vector<TClient> Stacking() {
        std::vector<TClient> clients;
        std::istringstream list(Output({"xprop", "-root", "_NET_CLIENT_LIST_STACKING"}));
        std::string word;
        while (list >> word) {
            if (!word.starts_with("0x")) continue;
            if (word.ends_with(',')) word.pop_back();
            clients.push_back(
                {word, Output({"xprop", "-id", word, "_NET_WM_NAME", "_NET_WM_WINDOW_TYPE"})});
        }
        return clients;
    }
    static bool Named(const TClient& client, const std::string& name) {
        return client.Properties.find("_NET_WM_NAME(UTF8_STRING) = \"" + name + "\"") !=
               std::string::npos;
    }

    // The first managed window of that name, as xdotool sees it; empty if there is none.
    TScreenRect Geometry(const std::string& name) {
        for (const TClient& client : Stacking()) {
            if (!Named(client, name)) continue;
            std::istringstream shell(
                Output({"xdotool", "getwindowgeometry", "--shell", client.Id}));
            TScreenRect r;
            for (std::string line; std::getline(shell, line);) {
                const size_t eq = line.find('=');
                const int value = eq == std::string::npos ? 0 : std::atoi(line.c_str() + eq + 1);
                const std::string key = line.substr(0, eq);
                (key == "X"        ? r.X
                 : key == "Y"      ? r.Y
                 : key == "WIDTH"  ? r.W
                 : key == "HEIGHT" ? r.H
                                   : r.Other) = value;
            }
            return r;
        }
        return {};
    }

    std::unique_ptr<TChildProcess> windowManager;
};

TEST_F(DesktopFirstStart, TheNoDriverBoxShowsAboveTheStartupWindowAndTheStartGoesOn) {
    ASSERT_FALSE(std::filesystem::exists(docs / "Orvanta3.ini"));
    TChildProcess program({kProgram}, docs / "program.log");
    ASSERT_TRUE(program.Started());

    std::vector<TClient> clients;
    size_t box = 0;
    ASSERT_TRUE(Eventually([&] {
        clients = Stacking();
        for (box = 0; box < clients.size(); ++box)
            if (Named(clients[box], "Предупреждение")) return true;
        return false;
    })) << "no warning box\n"
        << ReadText(docs / "program.log");
    // Nothing above the box is the start-up window.
    for (size_t above = box + 1; above < clients.size(); ++above)
        EXPECT_EQ(clients[above].Properties.find("_NET_WM_WINDOW_TYPE_SPLASH"), std::string::npos)
            << "above the box: " << clients[above].Properties;

    // "Yes" (the default button): the main window opens on the module list.
    EXPECT_TRUE(RunProgram({"xdotool", "windowactivate", "--sync", clients[box].Id, "key",
                            "--clearmodifiers", "Return"},
                           docs / "xdotool.log"))
        << ReadText(docs / "xdotool.log");
    EXPECT_TRUE(Eventually([&] {
        const std::vector<TClient> now = Stacking();
        const bool boxGone = std::none_of(now.begin(), now.end(), [](const TClient& client) {
            return Named(client, "Предупреждение");
        });
        const bool mainShown = std::any_of(
            now.begin(), now.end(), [](const TClient& client) { return Named(client, "Orvanta"); });
        return boxGone && mainShown;
    })) << ReadText(docs / "program.log");
    EXPECT_NE(ReadText(docs / "program.log").find("no display driver is active"),
              std::string::npos);
    EXPECT_EQ(program.Stop(SIGTERM), 0) << ReadText(docs / "program.log");
}

// Xvfb's screen is 1280 x 800.
TEST_F(DesktopFirstStart, TheVirtualDisplayOpensBesideTheMainWindowAndKeepsAPlaceOfItsOwn) {
    WriteSettings("Use animation=0\n");
    AppendSettings("[Virtual screen]\nShow=1\n");
    const std::string display = "Orvanta3: virtual display";
    {
        TChildProcess program({kProgram}, docs / "program.log");
        ASSERT_TRUE(program.Started());
        TScreenRect main, beside;
        // Right of the main window, where there is room, however the window manager placed it.
        EXPECT_TRUE(Eventually([&] {
            main = Geometry("Orvanta");
            beside = Geometry(display);
            return !main.Empty() && !beside.Empty() && beside.X >= main.X + main.W &&
                   !beside.Meets(main) && beside.X + beside.W <= 1280 && beside.Y >= 0 &&
                   beside.Y + beside.H <= 800;
        })) << "main "
            << main << ", virtual display " << beside << "\n"
            << ReadText(docs / "program.log");
        EXPECT_EQ(program.Stop(SIGTERM), 0) << ReadText(docs / "program.log");
    }
    // Where it was is kept; a place off the screen (another monitor, now gone) comes back on.
    const std::string settings = ReadText(docs / "Orvanta3.ini");
    ASSERT_NE(settings.find("Horiz. position="), std::string::npos) << settings;
    TIniFile(docs / "Orvanta3.ini").Update([](TIniDocument& ini) {
        ini.WriteInteger("Virtual screen", "Horiz. position", 5000);
        ini.WriteInteger("Virtual screen", "Vert. position", 20);
    });
    TChildProcess program({kProgram}, docs / "program.log");
    ASSERT_TRUE(program.Started());
    TScreenRect beside;
    EXPECT_TRUE(Eventually([&] {
        beside = Geometry(display);
        return !beside.Empty() && beside.X + beside.W == 1280 && beside.Y == 20;
    })) << beside;
    EXPECT_EQ(program.Stop(SIGTERM), 0) << ReadText(docs / "program.log");
}

} // namespace
} // namespace orv::test
