#include "drivers/portio/EmulatorPort.h"
#include "drivers/portio/PortEmulator.h"
#include "tests/drivers/portio/PanelWrites.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace orv {
namespace {

using namespace orv::test;
using namespace std::chrono_literals;

constexpr auto kNever = std::chrono::hours(1);

std::unique_ptr<TEmulatorPort> OpenHd44780(const std::string& path,
                                           std::chrono::milliseconds interval) {
    std::string error;
    auto port = TEmulatorPort::Open(std::make_unique<THd44780Panel>(2, 16), path, interval, error);
    EXPECT_TRUE(port) << error;
    return port;
}

TPortWrite WriterOf(TEmulatorPort& port) {
    return [&port](unsigned reg, uint8_t value) { port.Write(reg, value); };
}

std::string SecondLine(const std::string& text) {
    const size_t start = text.find('\n') + 1;
    return text.substr(start, text.find('\n', start) - start);
}

// Polls until the state file's first row reads row, for up to ten seconds.
bool WaitForRow(const std::string& path, const std::string& row) {
    for (int i = 0; i < 1000; ++i) {
        if (SecondLine(ReadText(path)) == row) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(EmulatorPort, WritesTheStateAtOpenOnFlushAndOnClose) {
    TempDir dir;
    const std::string path = dir / "panel.state";
    auto port = OpenHd44780(path, kNever);
    ASSERT_TRUE(port);
    EXPECT_EQ(ReadText(path).substr(0, 17), "hd44780 2x16 off\n");
    EXPECT_EQ(port->StateWrites(), 1u);

    const auto write = WriterOf(*port);
    Hd44780Init(write);
    Hd44780Text(write, "first");
    EXPECT_EQ(SecondLine(ReadText(path)), "|                |"); // held back by the interval
    port->Flush();
    EXPECT_EQ(SecondLine(ReadText(path)), "|first           |");
    port->Flush(); // nothing changed: no write
    EXPECT_EQ(port->StateWrites(), 2u);

    Hd44780Text(write, " last");
    port.reset();
    EXPECT_EQ(SecondLine(ReadText(path)), "|first last      |");

    // Only the state file remains: every write went through a renamed temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(EmulatorPort, WritesTheLastChangeAfterTheIntervalWithoutClosing) {
    TempDir dir;
    const std::string path = dir / "panel.state";
    auto port = OpenHd44780(path, 20ms);
    ASSERT_TRUE(port);
    const auto write = WriterOf(*port);
    Hd44780Init(write);
    for (char c = 'a'; c <= 'p'; ++c) Hd44780Data(write, static_cast<uint8_t>(c));
    EXPECT_TRUE(WaitForRow(path, "|abcdefghijklmnop|"));
}

TEST(EmulatorPort, ThrottlesRewritesToTheInterval) {
    TempDir dir;
    auto port = OpenHd44780(dir / "panel.state", 20ms);
    ASSERT_TRUE(port);
    const auto write = WriterOf(*port);
    Hd44780Init(write);
    const auto start = std::chrono::steady_clock::now();
    int changes = 0;
    while (std::chrono::steady_clock::now() - start < 300ms) {
        Hd44780Instruction(write, 0x80);
        Hd44780Data(write, static_cast<uint8_t>('A' + changes++ % 26));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const auto bound = static_cast<uint64_t>(elapsed / 20ms) + 3;
    EXPECT_LE(port->StateWrites(), bound);
    EXPECT_GT(changes, static_cast<int>(bound));
}

// A writer that marks the end of each update gets the state file at once when the interval has
// passed, and from the flusher one interval after the last write otherwise.
TEST(EmulatorPort, EndOfUpdateWritesAtOnceOrWhenTheIntervalHasPassed) {
    TempDir dir;
    const std::string path = dir / "panel.state";
    auto port = OpenHd44780(path, 200ms);
    ASSERT_TRUE(port);
    const auto write = WriterOf(*port);
    Hd44780Init(write);
    port->EndOfUpdate(); // within the interval of the write at open: left to the flusher
    for (int i = 0; i < 1000 && port->StateWrites() < 2; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(port->StateWrites(), 2u);
    std::this_thread::sleep_for(250ms); // the interval has now passed
    Hd44780Text(write, "one");
    port->EndOfUpdate();
    EXPECT_EQ(SecondLine(ReadText(path)), "|one             |")
        << "written at the end of the update";

    Hd44780Text(write, " two");
    port->EndOfUpdate(); // within the interval: left to the flusher
    EXPECT_TRUE(WaitForRow(path, "|one two         |"));
    const uint64_t writes = port->StateWrites();
    port->EndOfUpdate(); // nothing pending: no write
    EXPECT_EQ(port->StateWrites(), writes);
}

// The rows of one update end in quick succession: each is written at once, so that the
// flusher has nothing to do for a frame.
TEST(EmulatorPort, EveryEndOfOneUpdateIsWrittenAtOnce) {
    TempDir dir;
    const std::string path = dir / "panel.state";
    std::string error;
    auto port =
        TEmulatorPort::Open(std::make_unique<THd44780Panel>(2, 16), path, 200ms, error, kNever);
    ASSERT_TRUE(port) << error;
    const auto write = WriterOf(*port);
    Hd44780Init(write);
    port->EndOfUpdate();
    for (int i = 0; i < 1000 && port->StateWrites() < 2; ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(250ms); // the interval has passed: the next update starts a burst
    const uint64_t writes = port->StateWrites();
    Hd44780Text(write, "one");
    port->EndOfUpdate();
    Hd44780Text(write, " two");
    port->EndOfUpdate();
    EXPECT_EQ(SecondLine(ReadText(path)), "|one two         |");
    EXPECT_EQ(port->StateWrites(), writes + 2);
}

TEST(EmulatorPort, ReadersNeverSeeAPartialFile) {
    TempDir dir;
    const std::string path = dir / "panel.state";
    auto port = OpenHd44780(path, 0ms);
    ASSERT_TRUE(port);
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    int partial = 0;
    std::thread reader([&] {
        while (!done) {
            const std::string text = ReadText(path);
            ++reads;
            if (std::count(text.begin(), text.end(), '\n') != 11 ||
                text.find("\ncgram 7: ") == std::string::npos)
                ++partial;
        }
    });
    while (reads == 0) std::this_thread::yield(); // a busy machine may start the reader late
    const auto write = WriterOf(*port);
    Hd44780Init(write);
    for (int i = 0; i < 2000; ++i) Hd44780Data(write, static_cast<uint8_t>('a' + i % 26));
    port.reset();
    done = true;
    reader.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(partial, 0);
}

TEST(EmulatorPort, RefusesAStateFileThatCannotBeWritten) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(
        TEmulatorPort::Open(std::make_unique<TKs0108Panel>(), dir / "missing/panel", 20ms, error));
    EXPECT_NE(error.find("missing/panel"), std::string::npos);
}

TEST(EmulatorPort, KeypadReadsThroughTheStatusRegister) {
    TempDir dir;
    auto port = OpenHd44780(dir / "panel.state", kNever);
    ASSERT_TRUE(port);
    port->SetHeldKeys(0b101);
    const uint8_t expected[] = {0x08, 0x00, 0x08};
    for (int i = 0; i < 3; ++i) {
        port->Write(kDataRegister, static_cast<uint8_t>(1 << i));
        EXPECT_EQ(port->Read(kStatusRegister), expected[i]) << i;
    }
    port->SetHeldKeys(0);
    port->Write(kDataRegister, 0xFF);
    EXPECT_EQ(port->Read(kStatusRegister), 0x00);
    EXPECT_EQ(port->Read(kDataRegister), 0xFF);
}

} // namespace
} // namespace orv

namespace orv {
namespace {

std::unique_ptr<TEmulatorPort> TryOpen(const std::string& path, std::string& error) {
    return TEmulatorPort::Open(std::make_unique<THd44780Panel>(2, 16), path, kNever, error);
}

TEST(EmulatorStateFile, ALinkIsFollowedAndKept) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    std::filesystem::create_symlink("real/panel", dir / "linkstate");
    {
        auto port = OpenHd44780(dir / "linkstate", kNever);
        ASSERT_TRUE(port);
        Hd44780Init(WriterOf(*port));
        Hd44780Text(WriterOf(*port), "through");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "linkstate"));
    EXPECT_NE(ReadText(dir / "real/panel").find("|through         |"), std::string::npos);
}

TEST(EmulatorStateFile, WhatIsNoRegularFileIsRefusedBeforeThePanelOpens) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink("fifo", dir / "link");
    std::string error;
    EXPECT_FALSE(TryOpen(dir / "fifo", error));
    EXPECT_EQ(error,
              "cannot use the state file " + dir / "fifo" + ": it is a FIFO, not a regular file");
    EXPECT_FALSE(TryOpen(dir / "folder", error));
    EXPECT_EQ(error, "cannot use the state file " + dir / "folder" +
                         ": it is a folder, not a regular file");
    EXPECT_FALSE(TryOpen(dir / "link", error));
    EXPECT_NE(error.find("its link leads to " + dir / "fifo"), std::string::npos) << error;
    EXPECT_FALSE(TryOpen(dir / "missing/panel", error));
    EXPECT_EQ(error, "cannot write the state file " + dir / "missing/panel" + ": the folder " +
                         dir / "missing" + " does not exist");
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
}

TEST(EmulatorStateFile, OnePanelTakesOneDriver) {
    TempDir dir;
    std::filesystem::create_symlink("panel", dir / "alias");
    std::string error;
    auto first = TryOpen(dir / "panel", error);
    ASSERT_TRUE(first) << error;
    for (const std::string& name : {dir / "panel", dir / "alias"}) {
        EXPECT_FALSE(TryOpen(name, error)) << name;
        EXPECT_EQ(error, "the emulated panel " + name +
                             " is already driven by another program (process " +
                             std::to_string(::getpid()) + "); end that program first");
    }
    auto other = TryOpen(dir / "other", error); // another panel is free
    EXPECT_TRUE(other) << error;
    first.reset();
    EXPECT_TRUE(TryOpen(dir / "alias", error)) << error;
}

} // namespace
} // namespace orv
