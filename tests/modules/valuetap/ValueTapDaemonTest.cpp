// orvanta3d on an emulated 4 x 20 panel with valuetap: a command's line, a file's value and an
// MQTT payload from a real broker on the panel, the payload drawn as a bar too; a hanging
// command is killed and traced; sources the job names but no setting defines show nothing and
// run nothing.
#include "tests/daemon/DaemonRun.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/WaitUntil.h"

#include <filesystem>

using namespace orv;
using namespace orv::test;

namespace {

TEST_F(DaemonTest, UserValuesReachThePanel) {
    if (!TMosquittoBroker::Available()) GTEST_SKIP() << "mosquitto is not installed";
    TMosquittoBroker broker(false);
    ASSERT_TRUE(broker.Ok()) << broker.Log();
    ASSERT_TRUE(broker.Publish("plant/level", "{\"percent\": 50}", true));
    WriteText(docs / "level.txt", "disk 73%\n");
    const std::string marker = docs / "ran";
    WriteText(docs / "Orvanta3.ini",
              Utf8ToCp1251(kPanelSettings) +
                  "[valuetap.so]\nActive=1\nSource1 kind=command\nSource1 name=greeting\n"
                  "Source1 command=/bin/echo hello panel\nSource1 period=1\n"
                  "Source2 kind=file\nSource2 name=disk\nSource2 file=" +
                  (docs / "level.txt") +
                  "\nSource3 kind=mqtt\nSource3 name=level\nSource3 topic=plant/level\n"
                  "Source3 pointer=/percent\n"
                  "Source4 kind=command\nSource4 name=hang\nSource4 command=sleep 300\n"
                  "Source4 timeout=1\n"
                  "Source5 kind=command\nSource5 name=unused\nSource5 command=touch " +
                  marker + "\nMQTT host=127.0.0.1\nMQTT port=" + std::to_string(broker.Port()) +
                  "\n");
    WriteText(docs / "job.orv3",
              "[Values]\nTimeout=2\nLine1=$userValue[greeting]$\nLine2=$userValue[disk]$\n"
              "Line3=lvl $userValue[level,,3,1]$\nLine4=$userValue[3,,10,1,digit_bar]$\nShow=1\n"
              "[Ghost]\nTimeout=2\nLine1=$userValue[ghost]$$userValue[9]$ghost screen\n"
              "Line2=hang: $userValue[hang,,,1]$\nShow=1\n");

    const pid_t daemon = Start({"--job", docs / "job.orv3", "--verbose"});
    const bool values = WaitForPanel([](const auto& rows) {
        return rows.size() == 4 && rows[0].starts_with("hello panel") &&
               rows[1].starts_with("disk 73%") && rows[2].starts_with("lvl 50 ") &&
               rows[3].find("50") != std::string::npos && rows[3].find('_') != std::string::npos;
    });
    std::vector<std::string> seen = PanelRows();
    const bool ghost = WaitForPanel([](const auto& rows) {
        return !rows.empty() && rows[0].starts_with("ghost screen") &&
               rows[1].starts_with("hang: ");
    });
    // The file changes and the screen follows; the hanging command is killed and traced.
    WriteText(docs / "level.txt", "disk 74%\n");
    const bool changed = WaitForPanel(
        [](const auto& rows) { return rows.size() == 4 && rows[1].starts_with("disk 74%"); });
    const bool traced = WaitUntil(
        [&] {
            return ReadText(docs / "err").find("killed after its time-out") != std::string::npos;
        },
        std::chrono::seconds(60));
    ::kill(daemon, SIGTERM);
    const int status = WaitStatus(daemon);

    EXPECT_TRUE(values) << ::testing::PrintToString(seen);
    EXPECT_TRUE(ghost) << "sources no setting defines show nothing";
    EXPECT_TRUE(changed);
    EXPECT_TRUE(traced) << ReadText(docs / "err");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(docs / "err");
    EXPECT_FALSE(std::filesystem::exists(marker)) << "a source no screen names never runs";
    // The bar's ten cells: the filled ones (code 1, shown as "①"), the percentage, the rest.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[3].starts_with("①①①①50____ ")) << seen[3];
}

} // namespace
