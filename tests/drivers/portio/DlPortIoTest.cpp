#include "drivers/portio/DlPortIo.h"
#include "tests/drivers/portio/PanelWrites.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace orv {
namespace {

using namespace orv::test;

constexpr uint32_t kBase = 0x378;
const std::string kLibrary = std::string(ORVANTA3_OUTPUT_DIR) + "/libdlportio.so";

// The library as a driver sees it: loaded by path, functions looked up by name.
class TPortLibrary {
public:
    TPortLibrary() : handle_(::dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) return;
        write = reinterpret_cast<TDlPortWritePortUchar>(::dlsym(handle_, "DlPortWritePortUchar"));
        read = reinterpret_cast<TDlPortReadPortUchar>(::dlsym(handle_, "DlPortReadPortUchar"));
        open = reinterpret_cast<TDlPortOpen>(::dlsym(handle_, "DlPortOpen"));
        close = reinterpret_cast<TDlPortClose>(::dlsym(handle_, "DlPortClose"));
        openDevice = reinterpret_cast<TDlPortOpenDevice>(::dlsym(handle_, "DlPortOpenDevice"));
        setKeys = reinterpret_cast<TDlPortEmuSetKeys>(::dlsym(handle_, "DlPortEmuSetKeys"));
    }
    ~TPortLibrary() {
        if (handle_) ::dlclose(handle_);
    }
    bool Loaded() const {
        return handle_ && write && read && open && close && openDevice && setKeys;
    }
    TPortWrite Writer(uint32_t base = kBase) const {
        return [this, base](unsigned reg, uint8_t value) { write(base + reg, value); };
    }

    TDlPortWritePortUchar write = nullptr;
    TDlPortReadPortUchar read = nullptr;
    TDlPortOpen open = nullptr;
    TDlPortClose close = nullptr;
    TDlPortOpenDevice openDevice = nullptr;
    TDlPortEmuSetKeys setKeys = nullptr;

private:
    void* handle_;
};

std::string Line(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

TEST(DlPortIo, EmulatedTextPanelFollowsThePortWrites) {
    TempDir dir;
    const std::string state = dir / "lcd.state";
    ScopedEnv env("ORVANTA3_PORTIO", "emu:hd44780:4x20:" + state);
    TPortLibrary lib;
    ASSERT_TRUE(lib.Loaded()) << ::dlerror();
    ASSERT_EQ(lib.open(kBase), 0);
    const auto write = lib.Writer();
    Hd44780Init(write);
    Hd44780Instruction(write, 0xD4);
    Hd44780Text(write, "row four");
    lib.write(kBase + 3, 0x01); // not one of the port's registers
    lib.close(kBase);
    const std::string text = ReadText(state);
    EXPECT_EQ(Line(text, 0), "hd44780 4x20 on");
    EXPECT_EQ(Line(text, 4), "|row four            |");

    // A closed port ignores writes and reads 0.
    Hd44780Text(write, "gone");
    lib.close(kBase);
    EXPECT_EQ(ReadText(state), text);
    EXPECT_EQ(lib.read(kBase), 0);
    EXPECT_EQ(lib.read(kBase + 2), 0);
}

TEST(DlPortIo, EmulatedGraphicPanel) {
    TempDir dir;
    const std::string state = dir / "glcd.state";
    ScopedEnv env("ORVANTA3_PORTIO", "emu:ks0108:" + state);
    TPortLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    ASSERT_EQ(lib.open(0x278), 0);
    const auto write = lib.Writer(0x278);
    for (uint8_t h : {0x00, 0x06}) Ks0108Instruction(write, 0x3F, h);
    Ks0108Instruction(write, 0xBF, 0x06);
    Ks0108Instruction(write, 0x40 | 63, 0x06);
    Ks0108Data(write, 0x80, 0x06); // bottom-right pixel
    EXPECT_EQ(lib.read(0x278 + 2), 0x07);
    lib.close(0x278);
    const std::string text = ReadText(state);
    EXPECT_EQ(Line(text, 0), "ks0108 128x64 on");
    EXPECT_EQ(Line(text, 64), std::string(127, '.') + "#");
}

TEST(DlPortIo, RefusesBadSpecsAndMissingPorts) {
    TempDir dir;
    TPortLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    const std::string choices[] = {"emu:hd44780:3x7:" + dir / "x", "parport",
                                   "emu:ks0108:", "emu:hd44780:2x16:" + dir / "no/such/folder"};
    for (const std::string& choice : choices) {
        ScopedEnv env("ORVANTA3_PORTIO", choice);
        EXPECT_NE(lib.open(kBase), 0) << choice;
        Hd44780Text(lib.Writer(), "x"); // nothing open: ignored
    }
    {
        ScopedEnv env("ORVANTA3_PORTIO", "ppdev");
        ScopedEnv proc("ORVANTA3_PORTIO_PROC_ROOT", dir / "proc");
        EXPECT_NE(lib.open(kBase), 0);
    }
    {
        ScopedEnv env("ORVANTA3_PORTIO", "direct");
        EXPECT_NE(lib.open(0xD010), 0);
    }
    EXPECT_EQ(lib.read(kBase + 1), 0);
}

TEST(DlPortIo, OpenCountsUsersAndCloseFlushes) {
    TempDir dir;
    const std::string state = dir / "lcd.state";
    ScopedEnv env("ORVANTA3_PORTIO", "emu:hd44780:2x16:" + state);
    TPortLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    ASSERT_EQ(lib.open(kBase), 0);
    ASSERT_EQ(lib.open(kBase), 0);
    EXPECT_NE(lib.open(kBase + 1), 0); // overlaps the open port
    const auto write = lib.Writer();
    Hd44780Init(write);
    Hd44780Text(write, "one");
    lib.close(kBase); // one user left: still open, state written now
    EXPECT_EQ(Line(ReadText(state), 1), "|one             |");
    Hd44780Text(write, "two");
    lib.close(kBase);
    EXPECT_EQ(Line(ReadText(state), 1), "|onetwo          |");
}

TEST(DlPortIo, PortsOpenByDeviceNameAtAddressesOfTheirOwn) {
    TempDir dir;
    TPortLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    uint32_t base = 0, again = 0;
    {
        ScopedEnv env("ORVANTA3_PORTIO", "emu:hd44780:4x20:" + dir / "lcd.state");
        ASSERT_EQ(lib.openDevice("/dev/parport0", &base), 0);
        ASSERT_EQ(lib.openDevice("/dev/parport0", &again), 0);
    }
    EXPECT_GE(base, 0x10000u); // beyond every address a port is opened at
    EXPECT_EQ(again, base);
    Hd44780Init(lib.Writer(base));
    Hd44780Text(lib.Writer(base), "by name");
    lib.close(base);
    lib.close(base);
    EXPECT_EQ(Line(ReadText(dir / "lcd.state"), 1), "|by name             |");

    // ppdev opens the device itself: a file that is no parallel port is refused.
    ScopedEnv ppdev("ORVANTA3_PORTIO", "ppdev");
    WriteText(dir / "parport0", "");
    EXPECT_NE(lib.openDevice((dir / "parport0").c_str(), &base), 0);
    EXPECT_NE(lib.openDevice((dir / "missing").c_str(), &base), 0);
}

TEST(DlPortIo, HeldKeysShowOnTheStatusInput) {
    TempDir dir;
    ScopedEnv env("ORVANTA3_PORTIO", "emu:hd44780:2x16:" + dir / "lcd.state");
    TPortLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    lib.setKeys(0b100); // before opening: applies to the port opened next
    ASSERT_EQ(lib.open(kBase), 0);
    const uint8_t withKey2[] = {0x00, 0x00, 0x08};
    for (int i = 0; i < 3; ++i) {
        lib.write(kBase, static_cast<uint8_t>(1 << i));
        EXPECT_EQ(lib.read(kBase + 1) & 0x08, withKey2[i]) << i;
    }
    lib.setKeys(0b011);
    lib.write(kBase, 0x01);
    EXPECT_EQ(lib.read(kBase + 1) & 0x08, 0x08);
    lib.setKeys(0);
    EXPECT_EQ(lib.read(kBase + 1) & 0x08, 0x00);
    lib.close(kBase);
}

TEST(DlPortIoDeathTest, UnloadingTheLibraryFlushesOpenPorts) {
    // The child runs in a fresh process (the library not yet loaded) and re-runs this body, so
    // the folder is handed down through the environment.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr const char* kFolderVariable = "ORVANTA3_UNLOAD_TEST_DIR";
    std::optional<TempDir> dir;
    std::optional<ScopedEnv> folderEnv;
    if (!std::getenv(kFolderVariable)) {
        dir.emplace();
        folderEnv.emplace(kFolderVariable, dir->Path());
    }
    const std::string state = std::string(std::getenv(kFolderVariable)) + "/lcd.state";
    EXPECT_EXIT(
        {
            ::setenv("ORVANTA3_PORTIO", ("emu:hd44780:2x16:" + state).c_str(), 1);
            {
                TPortLibrary lib;
                if (!lib.Loaded() || lib.open(kBase) != 0) std::_Exit(1);
                Hd44780Init(lib.Writer());
                Hd44780Text(lib.Writer(), "unloaded");
            } // dlclose without DlPortClose
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(Line(ReadText(state), 1), "|unloaded        |");

    EXPECT_EXIT(
        {
            ::setenv("ORVANTA3_PORTIO", ("emu:hd44780:2x16:" + state).c_str(), 1);
            TPortLibrary* lib = new TPortLibrary; // never unloaded: the process just exits
            if (!lib->Loaded() || lib->open(kBase) != 0) std::_Exit(1);
            Hd44780Init(lib->Writer());
            Hd44780Text(lib->Writer(), "exited");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(Line(ReadText(state), 1), "|exited          |");
}

} // namespace
} // namespace orv
