// The desktop program's remote-control service (QtDBus) against the program core, on a private
// session bus; no window.
#include "appcore/ApplicationCore.h"
#include "appcore/remote/RemoteCommand.h"
#include "shell/remote/RemoteDBusService.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <future>
#include <map>
#include <optional>
#include <mutex>

using namespace orv;
using namespace orv::test;

namespace {

class TFirstRow final : public TFrameSink, public TCustomCharObserver {
public:
    void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) override {
        std::lock_guard lock(mutex_);
        slots_[code] = rows;
    }
    std::optional<TGlyphRows> Slot(uint8_t code) {
        std::lock_guard lock(mutex_);
        if (auto it = slots_.find(code); it != slots_.end()) return it->second;
        return std::nullopt;
    }
    void ShowFrame(const std::vector<std::string>& rows) override {
        std::lock_guard lock(mutex_);
        if (!rows.empty()) first_ = rows[0];
    }
    std::string First() {
        std::lock_guard lock(mutex_);
        return first_;
    }

private:
    std::mutex mutex_;
    std::string first_;
    std::map<uint8_t, TGlyphRows> slots_;
};

// The bus of the whole test program: QtDBus connects to the session bus once.
TPrivateSessionBus& Bus() {
    static TPrivateSessionBus bus;
    return bus;
}

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "remote_dbus_tests";
    static char* argv[] = {name, nullptr};
    ::setenv("DBUS_SESSION_BUS_ADDRESS", Bus().Address().c_str(), 1);
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs Qt's events until pred holds (or a minute has passed).
bool ProcessUntil(const std::function<bool()>& pred) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A call as orvanta3ctl makes it, from another thread while the events run here; output gets
// what show and status print.
std::string Send(const TRemoteCommand& command, std::string* output = nullptr) {
    auto reply = std::async(std::launch::async, [&] { return SendRemoteCommand(command, output); });
    EXPECT_TRUE(ProcessUntil(
        [&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    return reply.get();
}

class RemoteDBusService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Bus().Running());
        App();
        WriteText(docs / "Orvanta3.ini", "[Common]\nBase timeout=50\n");
        WriteText(docs / "job.orv3", "[A]\nTimeout=0\nLine1=screen A\nShow=1\n"
                                     "[B]\nTimeout=0\nLine1=screen B\nShow=1\n");
        ASSERT_TRUE(core.LoadJob(docs / "job.orv3"));
        core.SetFrameSink(&sink);
        core.SetCustomCharObserver(&sink);
        ASSERT_TRUE(core.StartDisplay());
    }
    bool Shows(const std::string& text) {
        return ProcessUntil([&] { return sink.First().starts_with(text); });
    }

    TempDir docs;
    TFirstRow sink; // outlives the core, whose display thread writes to it until it ends
    TApplicationCore core{{.ProgramFolder = docs.Path(), .SettingsPath = docs / "Orvanta3.ini"}};
};

TEST_F(RemoteDBusService, CallsReachTheCore) {
    TRemoteDBusService service(core);
    ASSERT_TRUE(service.Registered());
    ASSERT_TRUE(Shows("screen A"));

    EXPECT_EQ(Send(TNavigateCall{navNext, 0}), "");
    EXPECT_TRUE(Shows("screen B"));
    EXPECT_EQ(Send(TNavigateCall{navGoTo, 2}), "") << "ignored, but answered";
    EXPECT_EQ(Send(TNavigateCall{navGoTo, 0}), "");
    EXPECT_TRUE(Shows("screen A"));

    // Texts arrive as UTF-8 and reach the core as Windows-1251.
    EXPECT_EQ(Send(TCharsetCall{crSwitchVertical, ""}), "");
    EXPECT_EQ(core.Charsets().ActiveCharset(), 1);
    ASSERT_EQ(core.Charsets().AddGlyph("\xEB\xF3\xED\xE0"), TAddGlyphResult::Added); // "луна"
    const int moon = core.Charsets().FindGlyph("\xEB\xF3\xED\xE0");
    ASSERT_TRUE(core.Charsets().SetGlyphRows(moon, {1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Send(TCharsetCall{crDefineNamed, "'8;луна'"}), "");
    EXPECT_EQ(sink.Slot(8), (TGlyphRows{1, 2, 3, 4, 5, 6, 7, 8}));

    // What orvanta3ctl show, status and reload ask for.
    std::string shown, status;
    EXPECT_EQ(Send(TShowCall{}, &shown), "");
    EXPECT_TRUE(shown.starts_with("|screen A")) << shown;
    EXPECT_EQ(Send(TStatusCall{}, &status), "");
    EXPECT_NE(status.find("screen: 0 of 2, \"A\"\n"), std::string::npos) << status;
    WriteText(docs / "Orvanta3.ini", "[Common]\nJob name=missing.orv3\n");
    const std::string failed = Send(TReloadCall{});
    EXPECT_TRUE(failed.starts_with("the reload failed: ")) << failed;
    EXPECT_TRUE(Shows("screen A")) << "the job shown so far goes on";
}

TEST_F(RemoteDBusService, TheNameIsGivenBackAtTheEnd) {
    auto first = std::make_unique<TRemoteDBusService>(core);
    ASSERT_TRUE(first->Registered());
    EXPECT_FALSE(TRemoteDBusService(core).Registered()) << "the object and the name are taken";
    first.reset();
    EXPECT_EQ(Send(TNavigateCall{navNext, 0}), "no Orvanta3 program answers on the session bus");
    EXPECT_TRUE(TRemoteDBusService(core).Registered());
}

} // namespace
