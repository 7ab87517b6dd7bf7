// orvanta3d's web interface over real HTTP on loopback (libcurl), with the emulated panel.
#include "tests/daemon/DaemonRun.h"
#include "engine/JobUnit.h"
#include "tests/support/LoopbackPort.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

namespace orv::test {
namespace {

struct THttpAnswer {
    long Status = 0;
    std::string Headers;
    std::string Body;
};

size_t Append(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// A body read until it holds a mark (none: to its end).
struct TBodyUntil {
    std::string& Body;
    std::string Mark;
};

size_t AppendUntil(char* data, size_t size, size_t count, void* target) {
    auto& until = *static_cast<TBodyUntil*>(target);
    until.Body.append(data, size * count);
    return !until.Mark.empty() && until.Body.find(until.Mark) != std::string::npos ? 0
                                                                                   : size * count;
}

constexpr const char* kWholeEvent = "\n\n";
constexpr const char* kKeepAlive = "\n: keep-alive\n\n";
constexpr const char* kJobEvent = "event: job\n";

// A client with its own cookie jar, as one browser.
class TBrowser {
public:
    explicit TBrowser(int port) : base_("http://127.0.0.1:" + std::to_string(port)) {
        curl_ = curl_easy_init();
        curl_easy_setopt(curl_, CURLOPT_COOKIEFILE, ""); // cookies kept in memory
    }
    ~TBrowser() { curl_easy_cleanup(curl_); }

    THttpAnswer Send(const std::string& method, const std::string& path,
                     const std::string& body = {}, std::vector<std::string> headers = {},
                     const std::string& until = {}) {
        THttpAnswer answer;
        curl_easy_setopt(curl_, CURLOPT_URL, (base_ + path).c_str());
        curl_easy_setopt(curl_, CURLOPT_PATH_AS_IS, 1L);
        curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, method.c_str());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, method == "GET" ? nullptr : body.c_str());
        curl_easy_setopt(curl_, CURLOPT_HTTPGET, method == "GET" ? 1L : 0L);
        curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, method.c_str());
        curl_easy_setopt(curl_, CURLOPT_TIMEOUT, 30L);
        TBodyUntil received{answer.Body, until};
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &AppendUntil);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &received);
        curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, &Append);
        curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &answer.Headers);
        if (!token_.empty()) headers.push_back("X-Orvanta3-Token: " + token_);
        curl_slist* list = nullptr;
        for (const auto& header : headers) list = curl_slist_append(list, header.c_str());
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, list);
        curl_easy_perform(curl_);
        curl_slist_free_all(list);
        curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &answer.Status);
        return answer;
    }
    void UseToken(const std::string& token) { token_ = token; }

private:
    std::string base_;
    std::string token_;
    CURL* curl_ = nullptr;
};

std::string JsonText(const std::string& body, const std::string& key) {
    const std::string mark = "\"" + key + "\":\"";
    const size_t at = body.find(mark);
    if (at == std::string::npos) return {};
    const size_t start = at + mark.size();
    return body.substr(start, body.find('"', start) - start);
}

std::string Maps(pid_t pid) { return ReadText("/proc/" + std::to_string(pid) + "/maps"); }

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCheckerBuild = true;
#elif defined(__has_feature)
constexpr bool kCheckerBuild = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kCheckerBuild = false;
#endif

// A value of /proc/PID/status in kB ("VmHWM").
long StatusKb(pid_t pid, const std::string& name) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(name + ":")) return std::stol(line.substr(name.size() + 1));
    return -1;
}

size_t ThreadCount(pid_t pid) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task"))
        ++n;
    return n;
}

class WebEndToEndTest : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        WriteText(docs / "two.job", "[Screen1]\nShow=1\nShow time=60000\nLine1=first screen\n"
                                    "[Screen2]\nShow=1\nShow time=60000\nLine1=second screen\n");
        port = FreeLoopbackPort();
    }
    void TearDown() override {
        if (daemon > 0) {
            ::kill(daemon, SIGTERM);
            WaitStatus(daemon);
        }
    }
    pid_t StartWeb(const std::string& address) {
        daemon = Start({"--job", docs / "two.job", "--web", address});
        return daemon;
    }
    // Waits until the server answers.
    bool Serving() {
        for (int i = 0; i < 600; ++i) {
            if (TBrowser(port).Send("GET", "/api/session").Status != 0) return true;
            ::usleep(100000);
        }
        return false;
    }

    int port = 0;
    pid_t daemon = -1;
};

TEST_F(WebEndToEndTest, LoopbackServesPanelAndGuardsRequests) {
    // Off: nothing of the web part in the process; on: the library and one thread more.
    const pid_t plain = Start({"--job", docs / "two.job"});
    ASSERT_TRUE(WaitForFirstRow("first screen"));
    const std::string plainMaps = Maps(plain);
    const size_t plainThreads = ThreadCount(plain);
    ::kill(plain, SIGTERM);
    WaitStatus(plain);
    EXPECT_EQ(plainMaps.find("orvanta3web"), std::string::npos);
    EXPECT_EQ(plainMaps.find("microhttpd"), std::string::npos);

    StartWeb("127.0.0.1:" + std::to_string(port));
    ASSERT_TRUE(Serving()) << ReadText(docs / "err");
    ASSERT_TRUE(WaitForFirstRow("first screen"));
    EXPECT_NE(Maps(daemon).find("liborvanta3web.so"), std::string::npos);
    EXPECT_GT(ThreadCount(daemon), plainThreads);

    TBrowser browser(port);
    const THttpAnswer page = browser.Send("GET", "/");
    EXPECT_EQ(page.Status, 200);
    EXPECT_NE(page.Headers.find("Content-Security-Policy: default-src 'self'"), std::string::npos);

    // Loopback without a password: the session comes with the first look.
    const THttpAnswer session = browser.Send("GET", "/api/session");
    ASSERT_EQ(session.Status, 200);
    EXPECT_NE(session.Headers.find("HttpOnly; SameSite=Strict"), std::string::npos);
    const std::string token = JsonText(session.Body, "token");
    ASSERT_FALSE(token.empty()) << session.Body;

    const auto panel =
        nlohmann::json::parse(browser.Send("GET", "/api/panel").Body, nullptr, false);
    ASSERT_TRUE(panel.is_object());
    EXPECT_TRUE(panel["text"][0].get<std::string>().starts_with("first screen")) << panel;
    ASSERT_EQ(panel["codes"].size(), panel["rows"].get<size_t>()) << panel;
    ASSERT_EQ(panel["codes"][0].size(), panel["cols"].get<size_t>()) << panel;
    EXPECT_EQ(panel["codes"][0][1], static_cast<unsigned char>('i'));
    EXPECT_EQ(panel["glyphs"].size(), 8u);
    for (const char* colour : {"background", "dotOn", "dotOff"}) {
        const std::string value = panel["colours"][colour];
        EXPECT_TRUE(value.size() == 7 && value[0] == '#' &&
                    value.find_first_not_of("0123456789abcdef", 1) == std::string::npos)
            << value;
    }
    const THttpAnswer event = browser.Send("GET", "/api/events", {}, {}, kWholeEvent);
    EXPECT_TRUE(event.Body.starts_with("event: frame\ndata: {")) << event.Body;
    // The screen stands still: after its frame the stream carries only a comment now and then.
    const auto opened = std::chrono::steady_clock::now();
    const THttpAnswer quiet = browser.Send("GET", "/api/events", {}, {}, kKeepAlive);
    EXPECT_TRUE(quiet.Body.starts_with("event: frame\ndata: {")) << quiet.Body;
    EXPECT_EQ(quiet.Body.find("event: frame", 1), std::string::npos) << quiet.Body;
    EXPECT_NE(quiet.Body.find("\n\n: keep-alive\n\n"), std::string::npos) << quiet.Body;
    EXPECT_GE(std::chrono::steady_clock::now() - opened, std::chrono::seconds(10));

    // A change without the token, or from a foreign page or host name, does nothing.
    const std::string next = R"({"action":"next"})";
    EXPECT_EQ(browser.Send("POST", "/api/navigate", next).Status, 403);
    browser.UseToken(token);
    EXPECT_EQ(browser.Send("POST", "/api/navigate", next, {"Origin: http://evil.example"}).Status,
              403);
    EXPECT_EQ(TBrowser(port)
                  .Send("GET", "/api/session", {}, {"Host: evil.example:" + std::to_string(port)})
                  .Status,
              403);
    EXPECT_EQ(TBrowser(port).Send("POST", "/api/navigate", next).Status, 401);
    ::usleep(500000);
    EXPECT_TRUE(PanelRows()[0].starts_with("first screen"));
    EXPECT_EQ(browser.Send("POST", "/api/navigate", next).Status, 200);
    EXPECT_TRUE(WaitForFirstRow("second screen"));
    EXPECT_EQ(browser.Send("POST", "/api/navigate", R"({"action":"goto","screen":7})").Status, 400);
    EXPECT_EQ(browser.Send("POST", "/api/navigate", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[").Status,
              400);

    // Path tricks reach no file.
    for (const char* path :
         {"/../Orvanta3.ini", "/%2e%2e/Orvanta3.ini", "/api/..%2F..%2FOrvanta3.ini", "//etc/passwd",
          "/%2Fetc%2Fpasswd", "/two.job"}) {
        const THttpAnswer answer = browser.Send("GET", path);
        EXPECT_EQ(answer.Status, 404) << path;
        EXPECT_EQ(answer.Body.find("Screen"), std::string::npos) << path;
        EXPECT_EQ(answer.Body.find("root:"), std::string::npos) << path;
    }

    // The editor reads the jobs of the settings folder and the loaded one, texts in UTF-8, and
    // no other file.
    WriteText(docs / "other.orv3", "[Hello]\nLine1=\xcf\xf0\xe8\xe2\xe5\xf2\nAlign1=2\nScroll1=2\n"
                                   "Show=1\nOnce=1\nTimeout=9\nTransitionEffect=6\n");
    const THttpAnswer jobs = browser.Send("GET", "/api/jobs");
    ASSERT_EQ(jobs.Status, 200);
    EXPECT_EQ(jobs.Body, R"({"current":"two.job","files":["two.job","other.orv3"]})");
    const THttpAnswer loaded = browser.Send("GET", "/api/job");
    EXPECT_NE(loaded.Body.find(R"("file":"two.job")"), std::string::npos) << loaded.Body;
    EXPECT_NE(loaded.Body.find(R"({"align":"left","scroll":0,"text":"second screen"})"),
              std::string::npos)
        << loaded.Body;
    const THttpAnswer other = browser.Send("GET", "/api/job?file=other.orv3");
    EXPECT_NE(other.Body.find(R"({"align":"right","scroll":2,"text":"Привет"})"), std::string::npos)
        << other.Body;
    EXPECT_NE(other.Body.find(R"("name":"Hello","once":true,"show":true,"showTime":9,)"
                              R"("transition":6)"),
              std::string::npos)
        << other.Body;
    EXPECT_NE(other.Body.find(R"("transitions":[")"), std::string::npos) << other.Body;
    for (const char* file : {"../Orvanta3.ini", "..%2FOrvanta3.ini", "%2Fetc%2Fpasswd",
                             "Orvanta3.ini", "missing.orv3", "%2e%2e%2fother.orv3"}) {
        const THttpAnswer answer = browser.Send("GET", std::string("/api/job?file=") + file);
        EXPECT_EQ(answer.Status, 404) << file;
        EXPECT_EQ(answer.Body.find("Common"), std::string::npos) << file;
    }
}

TEST_F(WebEndToEndTest, PasswordGuardsTheInterface) {
    // Off loopback without a password: refused, with the reason, before the panel is touched.
    const TRun refused = Run("--job '" + std::string(docs / "two.job") +
                             "' --web 0.0.0.0:" + std::to_string(port) + " --seconds 5");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("no password is set"), std::string::npos) << refused.err;

    const std::string command =
        "echo 'right horse' | " + Environment() + "'" + kDaemon + "' --web-password";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_NE(ReadText(docs / "Orvanta3.ini").find("PasswordHash=$y$"), std::string::npos);

    StartWeb("127.0.0.1:" + std::to_string(port));
    ASSERT_TRUE(Serving()) << ReadText(docs / "err");
    TBrowser browser(port);
    const THttpAnswer session = browser.Send("GET", "/api/session");
    EXPECT_NE(session.Body.find("\"loggedIn\":false"), std::string::npos) << session.Body;
    EXPECT_NE(session.Body.find("\"passwordRequired\":true"), std::string::npos);
    EXPECT_EQ(browser.Send("GET", "/api/panel").Status, 401);

    EXPECT_EQ(browser.Send("POST", "/api/login", R"({"password":"wrong"})").Status, 401);
    // Tries straight after a wrong one wait, even with the right password.
    EXPECT_EQ(browser.Send("POST", "/api/login", R"({"password":"right horse"})").Status, 429);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const THttpAnswer login = browser.Send("POST", "/api/login", R"({"password":"right horse"})");
    ASSERT_EQ(login.Status, 200) << login.Body;
    browser.UseToken(JsonText(login.Body, "token"));
    EXPECT_EQ(browser.Send("GET", "/api/panel").Status, 200);
    EXPECT_EQ(browser.Send("POST", "/api/navigate", R"({"action":"goto","screen":1})").Status, 200);
    EXPECT_TRUE(WaitForFirstRow("second screen"));
}

TEST_F(WebEndToEndTest, JobEditorReadsSavesAndPreviews) {
    using json = nlohmann::json;
    std::filesystem::create_directories(docs / "jobs");
    const std::string jobPath = docs / "jobs/edit.orv3";
    WriteText(jobPath, "[First]\nShow=1\nTimeout=60\nLine1=first screen\nAlign2=2\n"
                       "Scroll2=2\nLine2=second line\n[Second]\nShow=1\nLine1=other screen\n"
                       "TransitionEffect=3\n");
    WriteText(docs / "plain.orv3", "[Only]\nShow=1\nLine1=plain job\n");
    WriteText(docs / "jobs/notes.txt", "not a job");
    WriteText(docs / "Orvanta3.ini",
              ReadText(docs / "Orvanta3.ini") + "[diskfacts.so]\nActive=1\n");
    daemon = Start({"--job", jobPath, "--web", "127.0.0.1:" + std::to_string(port)});
    ASSERT_TRUE(Serving()) << ReadText(docs / "err");
    ASSERT_TRUE(WaitForFirstRow("first screen"));
    TBrowser browser(port);
    const std::string token = JsonText(browser.Send("GET", "/api/session").Body, "token");

    const json jobs = json::parse(browser.Send("GET", "/api/jobs").Body);
    EXPECT_EQ(jobs["files"], json({"jobs/edit.orv3", "plain.orv3"}));
    EXPECT_EQ(jobs["current"], "jobs/edit.orv3");
    EXPECT_EQ(
        json::parse(
            browser.Send("GET", "/api/job?file=plain.orv3").Body)["screens"][0]["lines"][0]["text"],
        "plain job");

    json job = json::parse(browser.Send("GET", "/api/job").Body);
    ASSERT_EQ(job["screens"].size(), 2u) << job.dump();
    EXPECT_EQ(job["file"], "jobs/edit.orv3");
    EXPECT_EQ(job["transitions"].size(), 10u);
    EXPECT_EQ(job["screens"][1]["transition"], 3);
    EXPECT_EQ(job["screens"][0]["lines"][1],
              json({{"text", "second line"}, {"align", "right"}, {"scroll", 2}}));
    // The texts in the program's language (Russian built in), the font as the virtual display's.
    EXPECT_EQ(json::parse(browser.Send("GET", "/api/texts").Body)["webSave"], "Сохранить");
    const json font = json::parse(browser.Send("GET", "/api/font").Body);
    EXPECT_EQ(font["glyphs"].size(), 256u);
    EXPECT_EQ(font["glyphs"]['I'], json({14, 4, 4, 4, 4, 4, 14, 0}));
    // The drive tags offer the drives (the root file system is drive 0), the percent ones too.
    const json catalogue = json::parse(browser.Send("GET", "/api/catalogue").Body);
    std::map<std::string, json> tags;
    for (const json& module : catalogue["modules"])
        for (const json& tag : module["tags"]) tags[tag["name"]] = tag["choices"];
    for (const char* name : {"driveFree", "%driveFree", "%driveUsed"}) {
        ASSERT_TRUE(tags.contains(name)) << catalogue.dump();
        ASSERT_FALSE(tags[name].empty()) << name;
        EXPECT_EQ(tags[name][0]["value"], "0") << name;
    }
    ASSERT_TRUE(tags.contains("time"));
    EXPECT_TRUE(tags["time"].empty());

    // Path tricks reach no file.
    const std::string original = ReadText(jobPath);
    for (const char* file : {"../Orvanta3.ini", "%2e%2e%2fOrvanta3.ini", "jobs%2f..%2fplain.orv3",
                             "jobs/../plain.orv3", "/etc/passwd", "%2Fetc%2Fpasswd",
                             "jobs/notes.txt", "Orvanta3.ini"}) {
        const THttpAnswer answer = browser.Send("GET", std::string("/api/job?file=") + file);
        EXPECT_EQ(answer.Status, 404) << file;
        EXPECT_EQ(answer.Body.find("Screen"), std::string::npos) << file;
        EXPECT_EQ(answer.Body.find("root:"), std::string::npos) << file;
        json elsewhere = job;
        elsewhere["file"] = file;
        browser.UseToken(token);
        EXPECT_EQ(browser.Send("PUT", "/api/job", elsewhere.dump()).Status, 404) << file;
        browser.UseToken({});
    }

    // Without the token, or with a bad body: 400 and the file untouched.
    json edited = job;
    edited["screens"][0]["lines"][0]["text"] = "edited line";
    EXPECT_EQ(browser.Send("PUT", "/api/job", edited.dump()).Status, 403);
    browser.UseToken(token);
    for (const std::string& bad :
         {std::string("not json"), std::string(R"({"screens":[]})"),
          std::string(R"({"screens":[{"lines":[{"text":7}]}]})"),
          std::string(R"({"screens":[{"lines":[{"text":"a","align":"up"}]}]})"),
          std::string(R"({"screens":[{"transition":99,"lines":[]}]})"),
          std::string(R"({"screens":[{"showTime":-1,"lines":[]}]})"),
          std::string(R"({"screens":[{"lines":[{"text":"a\nb"}]}]})"),
          std::string(R"({"screens":[{"name":"A","lines":[]},{"name":"a","lines":[]}]})"),
          std::string(R"({"screens":[{"name":"x]\n[y","lines":[]}]})"),
          std::string(R"({"screens":[{"lines":[{"text":"1"},{"text":"2"},{"text":"3"},)"
                      R"({"text":"4"},{"text":"5"},{"text":"6"},{"text":"7"},{"text":"8"},)"
                      R"({"text":"9"}]}]})")}) {
        const THttpAnswer answer = browser.Send("PUT", "/api/job", bad);
        EXPECT_EQ(answer.Status, 400) << bad;
        EXPECT_NE(answer.Body.find("\"error\""), std::string::npos) << bad;
    }
    EXPECT_EQ(ReadText(jobPath), original);

    // A save writes what TJob writes for the same change, and the panel shows it at once; a
    // watching page hears of it.
    TBrowser watcher(port);
    watcher.Send("GET", "/api/session");
    std::string heard;
    std::thread watching(
        [&] { heard = watcher.Send("GET", "/api/events", {}, {}, kJobEvent).Body; });
    ::usleep(300000);
    const THttpAnswer saved = browser.Send("PUT", "/api/job", edited.dump());
    ASSERT_EQ(saved.Status, 200) << saved.Body;
    TJob expected;
    WriteText(docs / "expected.orv3", original);
    ASSERT_TRUE(expected.LoadFromFile(docs / "expected.orv3"));
    expected.SetLine(0, 1, "edited line");
    ASSERT_TRUE(expected.SaveToFile(docs / "expected.orv3"));
    EXPECT_EQ(ReadText(jobPath), ReadText(docs / "expected.orv3"));
    EXPECT_TRUE(WaitForFirstRow("edited line"));
    watching.join();
    EXPECT_NE(heard.find("event: job\ndata: {}"), std::string::npos) << heard;

    // The preview shows a screen of the editor and ends on request; the job goes on.
    EXPECT_EQ(browser.Send("POST", "/api/preview", R"({"screen":{"lines":[{"text":7}]}})").Status,
              400);
    EXPECT_EQ(
        browser.Send("POST", "/api/preview", R"({"screen":{"lines":[{"text":"preview row"}]}})")
            .Status,
        200);
    EXPECT_TRUE(WaitForFirstRow("preview row"));
    EXPECT_NE(browser.Send("GET", "/api/panel").Body.find("preview row"), std::string::npos);
    EXPECT_EQ(browser.Send("DELETE", "/api/preview").Status, 200);
    EXPECT_TRUE(WaitForFirstRow("edited line"));

    // A save names the revision it was read at: one made elsewhere meanwhile, by this interface
    // or by a program writing the file in place, is never written over unasked (409, the file
    // kept); without a revision the save writes over it.
    const std::string revision = JsonText(saved.Body, "revision");
    EXPECT_EQ(json::parse(browser.Send("GET", "/api/job").Body)["revision"], revision);
    json stale = edited; // read before the save above
    stale["screens"][0]["lines"][0]["text"] = "stale line";
    const std::string current = ReadText(jobPath);
    EXPECT_EQ(browser.Send("PUT", "/api/job", stale.dump()).Status, 409);
    stale["revision"] = revision;
    std::ofstream(jobPath, std::ios::app) << "; a note\n";
    EXPECT_EQ(browser.Send("PUT", "/api/job", stale.dump()).Status, 409);
    EXPECT_EQ(ReadText(jobPath), current + "; a note\n");
    stale["revision"] = "";
    EXPECT_EQ(browser.Send("PUT", "/api/job", stale.dump()).Status, 200);
    EXPECT_TRUE(WaitForFirstRow("stale line"));
}

// The settings page's requests: what they show, that a bad value writes nothing, that a save
// reaches the file and the running program, and that a read-only file is refused.
TEST_F(WebEndToEndTest, SettingsAreCheckedWrittenAndApplied) {
    std::string ini = kPanelSettings;
    const std::string on = "[chronos.so]\nActive=1";
    ini.replace(ini.find(on), on.size(), "[chronos.so]\nActive=0");
    WriteText(docs / "Orvanta3.ini", Utf8ToCp1251(ini));
    WriteText(docs / "time.job", "[Screen1]\nShow=1\nShow time=60000\nLine1=t=$time$\n");
    daemon = Start({"--job", docs / "time.job", "--web", "127.0.0.1:" + std::to_string(port)});
    ASSERT_TRUE(Serving()) << ReadText(docs / "err");
    ASSERT_TRUE(WaitForFirstRow("t="));

    TBrowser browser(port);
    browser.UseToken(JsonText(browser.Send("GET", "/api/session").Body, "token"));
    const THttpAnswer shown = browser.Send("GET", "/api/settings");
    ASSERT_EQ(shown.Status, 200);
    EXPECT_NE(shown.Body.find("\"writable\":true"), std::string::npos) << shown.Body;
    // Ranges come from the key table, values from the file.
    EXPECT_NE(shown.Body.find(R"("key":"Common/Base timeout","label":"Базовая задержка, мс")"),
              std::string::npos);
    EXPECT_NE(shown.Body.find(R"("max":1000,"min":50)"), std::string::npos) << shown.Body;
    EXPECT_NE(shown.Body.find(R"({"active":false,"caption":"chronos.so","file":"chronos.so"})"),
              std::string::npos)
        << shown.Body;
    EXPECT_NE(shown.Body.find(R"("active":true,"caption")"), std::string::npos);
    EXPECT_NE(shown.Body.find(R"("file":"textport.so")"), std::string::npos);
    EXPECT_EQ(shown.Body.find("Autostart"), std::string::npos);

    // Bad values: 400 naming the key, the file untouched.
    const std::string before = ReadText(docs / "Orvanta3.ini");
    for (const auto& [body, named] : std::vector<std::pair<std::string, std::string>>{
             {R"({"common":{"Common/StartMsg":"x","Common/Base timeout":20}})", "Base timeout"},
             {R"({"common":{"Common/Base timeout":"200"}})", "Base timeout"},
             {R"({"common":{"Common/StartMsg":"two\nlines"}})", "StartMsg"},
             {R"({"common":{"Common/Autostart":true}})", "Autostart"},
             {R"({"common":{"Web/PasswordHash":"x"}})", "PasswordHash"},
             {R"({"modules":[{"file":"../../evil.so","active":true}]})", "evil.so"},
             {R"({"drivers":[{"file":"textport.so","active":false}]})", "exactly one driver"},
             {R"({"drivers":[{"file":"graphport.so","active":true}]})", "exactly one driver"},
             {R"([1,2])", "not a JSON object"}}) {
        const THttpAnswer refused = browser.Send("PUT", "/api/settings", body);
        EXPECT_EQ(refused.Status, 400) << body;
        EXPECT_NE(refused.Body.find(named), std::string::npos) << body << " " << refused.Body;
    }
    EXPECT_EQ(ReadText(docs / "Orvanta3.ini"), before);

    // A save: the file holds the values (texts in Windows-1251), the module is on at once.
    const THttpAnswer saved = browser.Send(
        "PUT", "/api/settings",
        R"({"common":{"Common/Base timeout":200,"Common/StartMsg":"Привет","Virtual screen/Pixel ON color":255},
            "modules":[{"file":"chronos.so","active":true}],
            "drivers":[{"file":"textport.so","active":true}]})");
    ASSERT_EQ(saved.Status, 200) << saved.Body;
    const std::string after = Cp1251ToUtf8(ReadText(docs / "Orvanta3.ini"));
    EXPECT_NE(after.find("Base timeout=200"), std::string::npos) << after;
    EXPECT_NE(after.find("StartMsg=Привет"), std::string::npos) << after;
    EXPECT_NE(after.find("[chronos.so]\nActive=1"), std::string::npos) << after;
    EXPECT_NE(after.find("Lines count=4"), std::string::npos); // other keys kept
    EXPECT_TRUE(WaitForPanel([](const std::vector<std::string>& rows) {
        return !rows.empty() && rows[0].size() > 4 && rows[0].starts_with("t=") &&
               std::isdigit(static_cast<unsigned char>(rows[0][2]));
    })) << PanelRows()[0];
    EXPECT_NE(
        browser.Send("GET", "/api/settings")
            .Body.find(R"({"active":true,"caption":"Date/time information","file":"chronos.so"})"),
        std::string::npos);

    // A read-only configuration: 409 and nothing written. (root writes anyway: not checked.)
    ::chmod((docs / "Orvanta3.ini").c_str(), 0400);
    ::chmod(docs.Path().c_str(), 0500);
    if (::access((docs / "Orvanta3.ini").c_str(), W_OK) != 0) {
        const THttpAnswer readOnly =
            browser.Send("PUT", "/api/settings", R"({"common":{"Common/Base timeout":300}})");
        EXPECT_EQ(readOnly.Status, 409);
        EXPECT_NE(readOnly.Body.find("not writable"), std::string::npos) << readOnly.Body;
        EXPECT_NE(browser.Send("GET", "/api/settings").Body.find("\"writable\":false"),
                  std::string::npos);
    }
    ::chmod(docs.Path().c_str(), 0700);
    ::chmod((docs / "Orvanta3.ini").c_str(), 0600);
}

// A scroll step every tick of 50 ms, for far longer than a test runs, with the web interface on;
// the frames the panel gets are counted on the terminal mirror.
class WebTicksTest : public WebEndToEndTest {
protected:
    using TClock = std::chrono::steady_clock;

    void StartScrolling() {
        std::string settings = kPanelSettings;
        settings.replace(settings.find("Base timeout=100"), 16, "Base timeout=50");
        WriteText(docs / "Orvanta3.ini", settings);
        std::string line;
        for (int i = 0; i < 100; ++i) line += "0123456789";
        WriteText(docs / "scroll.job", "[Screen1]\nShow=1\nShow time=600000\nLine1=" + line + "\n");
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        daemon = Start({"--job", docs / "scroll.job", "--tty=text", "--web",
                        "127.0.0.1:" + std::to_string(port)},
                       pipeFds[1]);
        ::close(pipeFds[1]);
        mirror_ = std::thread([this, fd = pipeFds[0]] {
            char buffer[4096];
            bool newline = false;
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                for (ssize_t i = 0; i < n; ++i) {
                    if (buffer[i] == '\n' && newline) { // a frame ends with an empty line
                        std::lock_guard lock(framesMutex_);
                        frames_.push_back(TClock::now());
                    }
                    newline = buffer[i] == '\n';
                }
            ::close(fd);
        });
        ASSERT_TRUE(Serving()) << ReadText(docs / "err");
        ASSERT_TRUE(WaitForFirstRow("0123"));
    }
    void TearDown() override {
        WebEndToEndTest::TearDown();
        daemon = -1;
        if (mirror_.joinable()) mirror_.join();
    }
    size_t FramesSince(TClock::time_point from) {
        std::lock_guard lock(framesMutex_);
        return static_cast<size_t>(
            std::count_if(frames_.begin(), frames_.end(), [from](auto at) { return at >= from; }));
    }
    // Frames a second over a span, and the longest wait between two of them.
    std::pair<double, TClock::duration> FrameRate(TClock::time_point from, TClock::time_point to) {
        std::lock_guard lock(framesMutex_);
        size_t n = 0;
        TClock::duration longest{};
        for (size_t i = 0; i < frames_.size(); ++i) {
            if (frames_[i] < from || frames_[i] > to) continue;
            ++n;
            if (i > 0 && frames_[i - 1] >= from)
                longest = std::max(longest, frames_[i] - frames_[i - 1]);
        }
        return std::pair(n / std::chrono::duration<double>(to - from).count(), longest);
    }

private:
    std::thread mirror_;
    std::mutex framesMutex_;
    std::vector<TClock::time_point> frames_; // when each mirrored frame was read
};

// 200 connections that say nothing and a 10-second burst of requests from four clients: the
// panel's ticks go on as before and the daemon's memory stays bounded.
TEST_F(WebTicksTest, IdleConnectionsAndABurstLeaveTheTicksAlone) {
    StartScrolling();
    ASSERT_FALSE(HasFatalFailure());
    constexpr auto kSpan = std::chrono::seconds(10);

    const auto quietStart = TClock::now();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const auto [quietRate, quietGap] = FrameRate(quietStart, TClock::now());
    const long memoryBefore = StatusKb(daemon, "VmHWM");

    std::vector<int> idle;
    for (int i = 0; i < 200; ++i) {
        const int fd = ConnectLoopback(static_cast<uint16_t>(port));
        if (fd < 0) continue;
        idle.push_back(fd);
        if (i % 2) (void)!::write(fd, "GET /api/panel HTTP/1.1\r\n", 26); // half a request
    }
    EXPECT_EQ(idle.size(), 200u);
    std::atomic<int> answered{0}, failed{0};
    const auto burstStart = TClock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < 4; ++c)
        clients.emplace_back([&] {
            TBrowser client(port);
            client.UseToken(JsonText(client.Send("GET", "/api/session").Body, "token"));
            while (TClock::now() - burstStart < kSpan)
                for (const auto& [method, path, body] : std::vector<std::array<std::string, 3>>{
                         {"GET", "/api/panel", ""},
                         {"GET", "/api/settings", ""},
                         {"GET", "/api/job", ""},
                         {"GET", "/app.js", ""},
                         {"PUT", "/api/job", "{\"screens\":7}"}})
                    (client.Send(method, path, body).Status / 100 == 5 ? failed : answered)++;
        });
    for (std::thread& client : clients) client.join();
    const auto [burstRate, burstGap] = FrameRate(burstStart, burstStart + kSpan);
    const long memoryAfter = StatusKb(daemon, "VmHWM");
    for (int fd : idle) ::close(fd);

    std::printf("frames a second: %.2f quiet, %.2f with 200 idle connections and %d requests "
                "(%d failed); longest gap %lld ms quiet, %lld ms in the burst; VmHWM %ld kB "
                "before, %ld kB after\n",
                quietRate, burstRate, answered.load(), failed.load(),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(quietGap).count()),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(burstGap).count()),
                memoryBefore, memoryAfter);
    EXPECT_GT(quietRate, 5.0); // twenty scroll steps a second on a quiet machine
    EXPECT_GE(burstRate, 0.8 * quietRate);
    EXPECT_LT(burstGap, std::chrono::seconds(1));
    EXPECT_GT(answered.load(), 100);
    EXPECT_EQ(failed.load(), 0);
    // Under a run-time checker freed memory is held back on purpose: only the count is checked.
    if (!kCheckerBuild) {
        EXPECT_LT(memoryAfter - memoryBefore, 16 * 1024);
    }
}

// Watchers written to from the display thread: one that never reads, one that reads slowly and
// forty that each take a frame and go. The ticks go on; the slow one gets whole events, newer
// frames in place of those it could not take; the gone ones free their places.
TEST_F(WebTicksTest, StalledSlowAndVanishingWatchersNeitherHoldTheTicksNorBreakTheStream) {
    StartScrolling();
    ASSERT_FALSE(HasFatalFailure());
    const THttpAnswer session = TBrowser(port).Send("GET", "/api/session");
    const size_t at = session.Headers.find("orvanta3_session=");
    ASSERT_NE(at, std::string::npos) << session.Headers;
    const std::string cookie = session.Headers.substr(at, session.Headers.find(';', at) - at);
    // A stream on a bare socket with a small receive buffer, so that it fills in seconds.
    auto watch = [&] {
        const int fd = ConnectLoopback(static_cast<uint16_t>(port), 2048);
        EXPECT_GE(fd, 0);
        const std::string request =
            "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
            "\r\nCookie: " + cookie + "\r\n\r\n";
        EXPECT_EQ(::write(fd, request.data(), request.size()),
                  static_cast<ssize_t>(request.size()));
        return fd;
    };
    const int stalled = watch();
    const int slow = watch();
    const auto start = TClock::now();
    std::string slowText;
    std::thread slowReader([&] {
        // Slowly until the panel has had 100 frames (about 90 KB of events, far more than the
        // socket holds, however fast the machine ticks), then as fast as it comes for two
        // seconds: past what the socket held.
        char buffer[256];
        auto slowly = [&] {
            const auto since = TClock::now() - start;
            return since < std::chrono::seconds(25) &&
                   (since < std::chrono::seconds(3) || FramesSince(start) < 100);
        };
        for (auto fastUntil = TClock::time_point::max(); TClock::now() < fastUntil;) {
            const ssize_t n = ::recv(slow, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            slowText.append(buffer, static_cast<size_t>(n));
            if (fastUntil != TClock::time_point::max()) continue;
            if (slowly())
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            else
                fastUntil = TClock::now() + std::chrono::seconds(2);
        }
    });
    int served = 0; // more than the 32 watchers allowed at once
    TBrowser visitor(port);
    visitor.Send("GET", "/api/session");
    for (int i = 0; i < 40; ++i) {
        const THttpAnswer one = visitor.Send("GET", "/api/events", {}, {}, kWholeEvent);
        served += one.Status == 200 && one.Body.starts_with("event: frame\ndata: {");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    slowReader.join();
    const auto [rate, gap] = FrameRate(start, TClock::now());
    ::close(stalled);
    ::close(slow);
    EXPECT_EQ(served, 40);
    EXPECT_GT(rate, 5.0);
    EXPECT_LT(gap, std::chrono::seconds(1));

    const size_t body = slowText.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos) << slowText;
    std::string stream = slowText.substr(body + 4);
    stream.resize(stream.rfind("\n\n") == std::string::npos ? 0 : stream.rfind("\n\n") + 2);
    size_t events = 0;
    int64_t last = -1;
    bool skipped = false;
    for (size_t from = 0, end; (end = stream.find("\n\n", from)) != std::string::npos;
         from = end + 2) {
        const std::string event = stream.substr(from, end - from);
        if (event.starts_with(':')) continue; // a keep-alive comment
        ASSERT_TRUE(event.starts_with("event: frame\ndata: {")) << event;
        const auto frame = nlohmann::json::parse(event.substr(19), nullptr, false);
        ASSERT_TRUE(frame.is_object() && frame.contains("frame")) << event;
        const int64_t number = frame["frame"].get<int64_t>();
        EXPECT_GT(number, last) << stream.substr(0, 3000);
        skipped = skipped || (last >= 0 && number > last + 1);
        last = number;
        ++events;
    }
    EXPECT_GT(events, 10u);
    EXPECT_TRUE(skipped) << "every frame reached the slow watcher: its socket never filled";
}

} // namespace
} // namespace orv::test
