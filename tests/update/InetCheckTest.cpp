// The update check against a version page on a loopback server.
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/LocaleDate.h"
#include "shell/update/InetCheck.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
using namespace orv::test;
using namespace std::chrono;

namespace {

class InetCheck : public ::testing::Test {
protected:
    TInetCheckOptions Options(const std::string& ownVersion = "3.0.7.11") {
        TInetCheckOptions options;
        options.SettingsPath = docs / "Orvanta3.ini";
        options.Url = server.Address() + "/version.txt";
        options.OwnVersion = ownVersion;
        return options; // "Next check" of the defaults is long past
    }
    void ServePage(const std::string& body) { server.Serve("/version.txt", {.Body = body}); }
    std::string Saved(const char* key) {
        return TIniFile(docs / "Orvanta3.ini").ReadString("INet", key, "(none)");
    }
    static std::string InTenDays() { return FormatShortDate(sys_days(LocalToday()) + days(10)); }

    // Each check of a test starts due again.
    void ForgetState() { std::filesystem::remove(docs / "state/orvanta3/state.ini"); }
    std::string State(const char* key) {
        return TIniFile(docs / "state/orvanta3/state.ini").ReadString("INet", key, "(none)");
    }

    ScopedEnv locale{"LC_ALL", "C"};
    TempDir docs;
    ScopedEnv stateHome{"XDG_STATE_HOME", docs / "state"};
    TLoopbackHttpServer server;
};

TEST_F(InetCheck, NewerVersionIsOfferedAndTheNextCheckIsInTenDays) {
    ServePage("3.0.9.0\r\nhttp://127.0.0.1/download\r\nignored\r\n");
    const TInetCheckResult result = RunInetCheck(Options());
    EXPECT_EQ(result.Outcome, TInetCheckOutcome::NewerVersion) << result.Error;
    EXPECT_EQ(result.NewestVersion, "3.0.9.0");
    EXPECT_EQ(result.DownloadUrl, "http://127.0.0.1/download");
    EXPECT_EQ(result.VersionLabel, "Последняя версия: 3.0.9.0"_cp1251);
    EXPECT_EQ(Saved("Next check"), InTenDays());
    EXPECT_EQ(Saved("Ver"), "3.0.7.11");
    EXPECT_EQ(State("Next check"), InTenDays()) << "state, read before the settings";
    EXPECT_EQ(State("Ver"), "3.0.7.11");

    // The settings' old date does not bring the check back while the state's lies ahead.
    EXPECT_EQ(RunInetCheck(Options()).Outcome, TInetCheckOutcome::NotDue);
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(InetCheck, VersionsCompareAsTextNotAsNumbers) {
    ServePage("3.0.7.9\nhttp://127.0.0.1/download\n");
    EXPECT_EQ(RunInetCheck(Options("3.0.7.11")).Outcome, TInetCheckOutcome::NewerVersion);
    ForgetState();
    ServePage("3.0.7.11\nhttp://127.0.0.1/download\n");
    EXPECT_EQ(RunInetCheck(Options("3.0.7.9")).Outcome, TInetCheckOutcome::UpToDate);
}

TEST_F(InetCheck, TheSameVersionStillMovesTheNextCheck) {
    ServePage("3.0.7.11\nhttp://127.0.0.1/download");
    const TInetCheckResult result = RunInetCheck(Options("3.0.7.11"));
    EXPECT_EQ(result.Outcome, TInetCheckOutcome::UpToDate);
    EXPECT_EQ(result.VersionLabel, "Последняя версия: 3.0.7.11"_cp1251);
    EXPECT_EQ(Saved("Next check"), InTenDays());
}

TEST_F(InetCheck, BadAnswersWriteNothing) {
    for (const char* body : {"3.0.9.0", "3.0.9.0\n", "", "\nhttp://127.0.0.1/download\n"}) {
        ServePage(body);
        const TInetCheckResult result = RunInetCheck(Options());
        EXPECT_EQ(result.Outcome, TInetCheckOutcome::Failed) << body;
    }
    server.Serve("/version.txt", {.Status = 404, .Body = "3.0.9.0\nhttp://127.0.0.1/\n"});
    EXPECT_EQ(RunInetCheck(Options()).Outcome, TInetCheckOutcome::Failed);
    EXPECT_EQ(Saved("Next check"), "(none)") << "the next start tries again";
    EXPECT_EQ(State("Next check"), "(none)");
}

TEST_F(InetCheck, OnlyAWebAddressIsOpened) {
    ServePage("3.0.9.0\nfile:///etc/passwd\n");
    const TInetCheckResult result = RunInetCheck(Options());
    EXPECT_EQ(result.Outcome, TInetCheckOutcome::NewerVersion);
    EXPECT_EQ(result.DownloadUrl, "");
}

TEST_F(InetCheck, NoRequestBeforeTheNextCheckOrWithoutAnAddress) {
    ServePage("3.0.9.0\nhttp://127.0.0.1/download\n");
    TInetCheckOptions later = Options();
    later.INet.NextCheck = sys_days(LocalToday()) + days(1);
    EXPECT_EQ(RunInetCheck(later).Outcome, TInetCheckOutcome::NotDue);
    EXPECT_EQ(TInetCheck(later, {}).Start(), TInetCheckOutcome::NotDue);

    TInetCheckOptions today = Options();
    today.INet.NextCheck = LocalToday();
    today.Url.clear();
    EXPECT_EQ(TInetCheck(today, {}).Start(), TInetCheckOutcome::NoAddress);
    EXPECT_EQ(server.Requests(), 0);

    ScopedEnv url("ORVANTA3_UPDATE_URL", "http://127.0.0.1:1/v");
    EXPECT_EQ(UpdateUrl(), "http://127.0.0.1:1/v");
}

TEST_F(InetCheck, TheProxyIsUsedOnlyWithAHost) {
    ServePage("3.0.9.0\nhttp://127.0.0.1/download\n");
    TInetCheckOptions options = Options();
    options.Url = "http://127.0.0.1:1/version.txt"; // nothing listens there: only a proxy gets it
    options.INet.Proxy = "127.0.0.1";
    options.INet.ProxyPort = server.Port();
    EXPECT_EQ(RunInetCheck(options).Outcome, TInetCheckOutcome::NewerVersion);
    ASSERT_EQ(server.Requests(), 1);
    EXPECT_EQ(server.Received()[0].Target, "http://127.0.0.1:1/version.txt");

    // No proxy host: a direct connection whatever the port says.
    ForgetState();
    TInetCheckOptions direct = Options();
    direct.INet.ProxyPort = 1;
    EXPECT_EQ(RunInetCheck(direct).Outcome, TInetCheckOutcome::NewerVersion);
    EXPECT_EQ(server.Received().back().Target, "/version.txt");
}

TEST_F(InetCheck, ASilentServerNeitherDelaysStartNorHoldsUpTheEnd) {
    TLoopbackHttpServer silent(/*silent=*/true);
    TInetCheckOptions options = Options();
    options.Url = silent.Address() + "/version.txt";

    bool reported = false;
    {
        TInetCheck check(options, [&](const TInetCheckResult&) { reported = true; });
        EXPECT_EQ(check.Start(), std::nullopt);
        // Start has returned while the server holds the request unanswered.
        ASSERT_TRUE(silent.WaitFor(1));
        EXPECT_FALSE(check.Finished());
    } // ends the transfer and the thread without an answer
    EXPECT_FALSE(reported);

    // Left alone, the check gives up at its time-out and reports the failure.
    options.TotalTimeout = seconds(1);
    TInetCheckResult result;
    std::atomic<bool> done = false;
    TInetCheck check(options, [&](const TInetCheckResult& r) {
        result = r;
        done = true;
    });
    check.Start();
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }, minutes(1)));
    EXPECT_EQ(result.Outcome, TInetCheckOutcome::Failed);
    EXPECT_EQ(Saved("Next check"), "(none)");
}

} // namespace
