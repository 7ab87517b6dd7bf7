// The built driver libraries, loaded like the host loads them, on the port library's emulated
// panels; what the panel shows is read from the emulator's state file.
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <dlfcn.h>
#include <sstream>
#include <thread>
#include <tuple>

using namespace orv;
using namespace orv::test;

namespace {

const std::string kOutput = ORVANTA3_OUTPUT_DIR;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// One driver library on an emulated panel, with its own documents folder and settings.
class TDriverOnPanel {
public:
    TDriverOnPanel(const std::string& file, const std::string& panel,
                   const std::vector<std::pair<std::string, std::string>>& keys,
                   const std::string& portio = "")
        : docs_(), documents_("XDG_DOCUMENTS_DIR", docs_.Path()),
          portio_("ORVANTA3_PORTIO", portio.empty() ? "emu:" + panel + ":" + StateFile() : portio) {
        TIniFile ini(docs_ / "Orvanta3.ini");
        for (const auto& [key, value] : keys) ini.WriteString(file, key, value);
        handle_ = ::dlopen((kOutput + "/plugins/hardware/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw std::runtime_error(::dlerror());
        descriptor_ = GetHardware();
    }
    THardwareDescriptor* GetHardware() {
        return reinterpret_cast<TGetHardwareFunc>(::dlsym(handle_, kGetHardwareExport))();
    }
    ~TDriverOnPanel() {
        descriptor_->Release();
        ::dlclose(handle_);
    }

    THardwareDescriptor& Descriptor() { return *descriptor_; }
    // An optional export of the library; throws when it lacks it.
    TFrameMarkFunc FrameMark(const char* name) {
        auto mark = reinterpret_cast<TFrameMarkFunc>(::dlsym(handle_, name));
        if (!mark) throw std::runtime_error(std::string("no export ") + name);
        return mark;
    }
    TLCDBaseControl& Control() { return *descriptor_->Control; }
    std::string StateFile() const { return docs_ / "panel.txt"; }
    void Write(uint8_t col, uint8_t row, std::string_view text) {
        Control().WriteText(col, row, text.data(), text.size());
    }
    // Releases the port (the emulator then writes its state file) and returns the file's lines.
    std::vector<std::string> ReleaseAndShow() {
        Control().SetActive(false);
        return Lines(ReadText(StateFile()));
    }

private:
    TempDir docs_;
    ScopedEnv documents_;
    ScopedEnv portio_;
    void* handle_ = nullptr;
    THardwareDescriptor* descriptor_ = nullptr;
};

const std::vector<std::pair<std::string, std::string>> TextPanel(int rows, int cols) {
    return {{"Lines count", std::to_string(rows)},
            {"Cols count", std::to_string(cols)},
            {"Timing", "0"}};
}

std::string Row(const std::string& utf8, size_t cols) {
    size_t chars = 0;
    for (unsigned char c : utf8) chars += (c & 0xC0) != 0x80;
    return "|" + utf8 + std::string(cols - chars, ' ') + "|";
}

} // namespace

TEST(TextportLibrary, DescriptorNamesTheDriverAndKeepsControlBetweenCalls) {
    TDriverOnPanel driver("textport.so", "hd44780:2x16", TextPanel(2, 16));
    THardwareDescriptor& d = driver.Descriptor();
    EXPECT_STREQ(d.Name, "Parallel 8-bit HD44780-compatible driver");
    EXPECT_TRUE(
        std::string(d.Description)
            .starts_with(
                "Компонент управления HD44780-совместимым LCD-экраном, 8-и битное подключение к "
                "параллельному порту\r\r"_cp1251));
    EXPECT_EQ(d.Control, nullptr);
    ASSERT_EQ(d.Init(), 0);
    TLCDBaseControl* control = d.Control;
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->GetActive());
    EXPECT_EQ(control->GetRowCount(), 2);
    EXPECT_EQ(control->GetColCount(), 16);
    EXPECT_EQ(driver.GetHardware(), &d);
    EXPECT_EQ(d.Control, control) << "getHardware keeps the driver object";
    d.Release();
    EXPECT_EQ(d.Control, nullptr);
}

TEST(TextportLibrary, ShowsCyrillicTextAndCustomCharacters) {
    TDriverOnPanel driver("textport.so", "hd44780:2x16", TextPanel(2, 16));
    ASSERT_EQ(driver.Descriptor().Init(), 0);
    const uint8_t heart[8] = {0x00, 0x0A, 0x1F, 0x1F, 0x0E, 0x04, 0x00, 0x00};
    driver.Control().DefineChar(0, heart);
    driver.Write(1, 1, "Привет, мир!"_cp1251);
    driver.Write(1, 2, "\x01 ok \x08");
    const auto lines = driver.ReleaseAndShow();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "hd44780 2x16 on");
    // р and е go to the panel as their Latin look-alikes.
    EXPECT_EQ(lines[1], Row("Пpивeт, миp!", 16));
    EXPECT_EQ(lines[2], Row("① ok ⑧", 16));
    EXPECT_EQ(lines[3], "cgram 0: 00 0A 1F 1F 0E 04 00 00");
}

TEST(TextportLibrary, FourRowPanelsPutRowsThreeAndFourWhereThePanelShowsThem) {
    for (int cols : {16, 20, 40}) {
        TDriverOnPanel driver("textport.so", "hd44780:4x" + std::to_string(cols),
                              TextPanel(4, cols));
        ASSERT_EQ(driver.Descriptor().Init(), 0);
        driver.Write(1, 1, "one");
        driver.Write(1, 2, "two");
        driver.Write(2, 3, "three");
        driver.Write(cols - 3, 4, "four");
        const auto lines = driver.ReleaseAndShow();
        ASSERT_GE(lines.size(), 5u) << cols;
        EXPECT_EQ(lines[0], "hd44780 4x" + std::to_string(cols) + " on") << cols;
        EXPECT_EQ(lines[1], Row("one", cols));
        EXPECT_EQ(lines[2], Row("two", cols));
        EXPECT_EQ(lines[3], Row(" three", cols));
        EXPECT_EQ(lines[4], Row(std::string(cols - 4, ' ') + "four", cols));
    }
}

TEST(TextportLibrary, FortyByFourClearReachesBothControllers) {
    TDriverOnPanel driver("textport.so", "hd44780:4x40", TextPanel(4, 40));
    ASSERT_EQ(driver.Descriptor().Init(), 0);
    for (uint8_t row = 1; row <= 4; ++row) driver.Write(1, row, "row " + std::to_string(row));
    driver.Control().Clear();
    driver.Write(5, 2, "after");
    const auto lines = driver.ReleaseAndShow();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "hd44780 4x40 on") << "both controllers initialised";
    EXPECT_EQ(lines[1], Row("", 40));
    EXPECT_EQ(lines[2], Row("    after", 40));
    EXPECT_EQ(lines[3], Row("", 40));
    EXPECT_EQ(lines[4], Row("", 40));
}

TEST(TextportLibrary, SettingsThatThePanelCannotTakeFallBack) {
    TDriverOnPanel driver(
        "textport.so", "hd44780:2x16",
        {{"Lines count", "3"}, {"Cols count", "8"}, {"Port", "junk"}, {"Timing", "-1"}});
    ASSERT_EQ(driver.Descriptor().Init(), 0);
    EXPECT_TRUE(driver.Control().GetActive()) << "the default port is used";
    EXPECT_EQ(driver.Control().GetRowCount(), 2);
    EXPECT_EQ(driver.Control().GetColCount(), 16);
    EXPECT_FALSE(driver.Control().GetBackLight());
}

TEST(DriverLibraries, ConfigureWithoutDialogLibraryShowsNothing) {
    TempDir install;
    const std::string copy = install / "plugins/hardware/textport.so";
    std::filesystem::create_directories(install / "plugins/hardware");
    std::filesystem::copy_file(kOutput + "/plugins/hardware/textport.so", copy);
    void* handle = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    auto* d = reinterpret_cast<TGetHardwareFunc>(::dlsym(handle, kGetHardwareExport))();
    EXPECT_EQ(d->Configure(), 0);
    EXPECT_EQ(d->Control, nullptr);
    EXPECT_EQ(::dlopen("libQt6Core.so.6", RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "a driver library never brings Qt into the process";
    ::dlclose(handle);
}

TEST(DriverLibraries, PortThatCannotBeOpenedLeavesTheDriverInactive) {
    TempDir dir;
    ScopedEnv proc("ORVANTA3_PORTIO_PROC_ROOT", dir / "proc"); // no parallel port at all
    const std::pair<std::string, std::string> cases[] = {
        {"emu:bogus", "ORVANTA3_PORTIO=\"emu:bogus\" names no emulated panel"},
        {"ppdev", "no parallel port at this address"},
        {"emu:hd44780:3x7:/tmp/x", "ORVANTA3_PORTIO=\"emu:hd44780:3x7:/tmp/x\" asks for 3x7 "
                                   "characters, a size no HD44780 panel has"},
        {"emu:hd44780:2x16:" + dir / "missing/state", "cannot write the state file " +
                                                          dir / "missing/state" + ": the folder " +
                                                          dir / "missing" + " does not exist"}};
    for (const auto& [portio, cause] : cases) {
        ClearShownMessages();
        TDriverOnPanel driver("textport.so", "", TextPanel(2, 16), portio);
        ASSERT_EQ(driver.Descriptor().Init(), 0) << portio;
        EXPECT_FALSE(driver.Control().GetActive()) << portio;
        driver.Write(1, 1, "nothing");
        driver.Control().Clear();
        driver.Control().SetScanKeyboard(true);
        EXPECT_FALSE(driver.Control().GetScanKeyboard());
        const auto shown = ShownMessages();
        ASSERT_EQ(shown.size(), 1u) << portio;
        EXPECT_EQ(shown[0].text.rfind("Cannot open the parallel port $0378: " + cause, 0), 0u)
            << shown[0].text;
        EXPECT_EQ(shown[0].caption, "Error");
    }
}

TEST(DriverLibraries, KeypadScanReportsTheHeldKey) {
    void* portio = ::dlopen((kOutput + "/libdlportio.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(portio, nullptr);
    auto holdKeys = reinterpret_cast<void (*)(uint32_t)>(::dlsym(portio, "DlPortEmuSetKeys"));
    ASSERT_NE(holdKeys, nullptr);

    TDriverOnPanel driver("graphport.so", "ks0108", {{"Timing", "0"}});
    ASSERT_EQ(driver.Descriptor().Init(), 0);
    TLCDBaseControl& control = driver.Control();
    holdKeys(0b101);
    control.SetScanKeyboard(true);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (control.GetScanCode() != 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(control.GetScanCode(), 0) << "D0 wins over D2";
    holdKeys(0);
    while (control.GetScanCode() != -1 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(control.GetScanCode(), -1);
    control.SetActive(false);
    ::dlclose(portio);
}

TEST(GraphportLibrary, DrawsTextAcrossBothHalvesAndOnTheBottomPage) {
    TDriverOnPanel driver("graphport.so", "ks0108", {{"Timing", "0"}, {"Cols count", "40"}});
    THardwareDescriptor& d = driver.Descriptor();
    EXPECT_STREQ(d.Name, "Parallel 8-bit KS0108-compatible driver");
    ASSERT_EQ(d.Init(), 0);
    EXPECT_EQ(driver.Control().GetColCount(), 21);
    EXPECT_EQ(driver.Control().GetRowCount(), 8);
    const uint8_t box[8] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F, 0x00};
    driver.Control().DefineChar(0, box);
    driver.Write(11, 1, "A");
    driver.Write(1, 8, "Bottom \x01");
    const auto lines = driver.ReleaseAndShow();
    ASSERT_EQ(lines.size(), 1u + 64 + 8);
    EXPECT_EQ(lines[0], "ks0108 128x64 on");
    // "A", columns 60..64: 7E 11 11 11 7E; pixel row 1 has the two legs.
    EXPECT_EQ(lines[1 + 1].substr(58, 9), "..#...#..");
    EXPECT_EQ(lines[1 + 0].substr(58, 9), "...###...");
    EXPECT_EQ(lines[65], Row("          A", 21));
    EXPECT_EQ(lines[72].substr(0, 8), "|Bottom ");
    // The custom character (a box) in cell 8 of the bottom row, pixel rows 56 and 57.
    EXPECT_EQ(lines[1 + 56].substr(42, 6), "#####.");
    EXPECT_EQ(lines[1 + 57].substr(42, 6), "#...#.");
}

// The display thread brackets each frame: the panel's rows change together, at the end mark.
TEST(DriverLibraries, APortPanelShowsAFrameWhenItEnds) {
    for (const auto& [file, panel, keys] :
         {std::tuple{"textport.so", "hd44780:4x20", TextPanel(4, 20)},
          std::tuple{"graphport.so", "ks0108", TextPanel(8, 21)}}) {
        SCOPED_TRACE(file);
        TDriverOnPanel driver(file, panel, keys);
        ASSERT_EQ(driver.Descriptor().Init(), 0);
        const std::string before = ReadText(driver.StateFile());
        driver.FrameMark(kBeginFrameExport)();
        driver.Write(1, 1, "first");
        driver.Write(1, 4, "fourth");
        EXPECT_EQ(ReadText(driver.StateFile()), before) << "not yet shown inside the frame";
        driver.FrameMark(kEndFrameExport)();
        const std::string after = ReadText(driver.StateFile());
        EXPECT_NE(after.find("|first "), std::string::npos) << after;
        EXPECT_NE(after.find("|fourth "), std::string::npos) << after;
    }
}
