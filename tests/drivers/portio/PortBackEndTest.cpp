#include "drivers/portio/DirectPort.h"
#include "drivers/portio/PortBackEnd.h"
#include "drivers/portio/PpdevPort.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using namespace orv::test;

TEST(PortSpec, NamesTheBackEnd) {
    std::string error;
    EXPECT_EQ(ParsePortSpec("", error)->kind, TPortSpec::TKind::Ppdev);
    EXPECT_EQ(ParsePortSpec("ppdev", error)->kind, TPortSpec::TKind::Ppdev);
    EXPECT_EQ(ParsePortSpec("direct", error)->kind, TPortSpec::TKind::Direct);

    const auto hd = ParsePortSpec("emu:hd44780:4x20:/tmp/a:b.state", error);
    ASSERT_TRUE(hd);
    EXPECT_EQ(hd->kind, TPortSpec::TKind::EmuHd44780);
    EXPECT_EQ(hd->rows, 4);
    EXPECT_EQ(hd->cols, 20);
    EXPECT_EQ(hd->stateFile, "/tmp/a:b.state");

    const auto ks = ParsePortSpec("emu:ks0108:panel.txt", error);
    ASSERT_TRUE(ks);
    EXPECT_EQ(ks->kind, TPortSpec::TKind::EmuKs0108);
    EXPECT_EQ(ks->stateFile, "panel.txt");

    for (const char* bad :
         {"emu:hd44780:3x7:x", "emu:hd44780:2x16", "emu:hd44780:2x16:", "emu:hd44780:2x:f",
          "emu:hd44780:x16:f", "emu:hd44780:2y16:f", "emu:hd44780:-2x16:f", "emu:hd44780:4x24:f",
          "emu:ks0108:", "emu:ks0108", "emu", "lpt", "PPDEV", " direct", "emu:sed1520:f"}) {
        error.clear();
        EXPECT_FALSE(ParsePortSpec(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

struct TFakeIo {
    static inline std::vector<std::string> calls;
    static inline int iopermResult = 0;
    static int Ioperm(unsigned long from, unsigned long count, int on) {
        calls.push_back("ioperm " + std::to_string(from) + " " + std::to_string(count) + " " +
                        std::to_string(on));
        if (iopermResult != 0) errno = EPERM;
        return iopermResult;
    }
    static void Out(uint8_t value, uint16_t port) {
        calls.push_back("out " + std::to_string(value) + " " + std::to_string(port));
    }
    static uint8_t In(uint16_t port) {
        calls.push_back("in " + std::to_string(port));
        return 0x5A;
    }
    static TPortIoCalls Calls() { return {Ioperm, Out, In}; }
};

TEST(DirectPort, OnlyStandardParallelRangesReachIoperm) {
    for (uint32_t base : {0x378u, 0x37Du, 0x278u, 0x27Du, 0x3BCu, 0x3BDu})
        EXPECT_TRUE(IsStandardParallelRange(base)) << base;
    for (uint32_t base : {0x377u, 0x37Eu, 0x27Eu, 0x3BEu, 0x3F8u, 0x2F8u, 0x80u, 0xD010u})
        EXPECT_FALSE(IsStandardParallelRange(base)) << base;

    TempDir locks;
    TFakeIo::calls.clear();
    std::string error;
    EXPECT_FALSE(TDirectPort::Open(0x3F8, TFakeIo::Calls(), locks.Path(), error));
    EXPECT_FALSE(TDirectPort::Open(0x37E, TFakeIo::Calls(), locks.Path(), error));
    EXPECT_TRUE(TFakeIo::calls.empty());
    EXPECT_FALSE(error.empty());

    {
        auto port = TDirectPort::Open(0x378, TFakeIo::Calls(), locks.Path(), error);
        ASSERT_TRUE(port);
        port->Write(0, 0x41);
        port->Write(1, 0x99); // status is read-only
        port->Write(2, 0x05);
        EXPECT_EQ(port->Read(1), 0x5A);
    }
    EXPECT_EQ(TFakeIo::calls, (std::vector<std::string>{"ioperm 888 3 1", "out 65 888", "out 5 890",
                                                        "in 889", "ioperm 888 3 0"}));

    TFakeIo::calls.clear();
    TFakeIo::iopermResult = -1;
    EXPECT_FALSE(TDirectPort::Open(0x278, TFakeIo::Calls(), locks.Path(), error));
    TFakeIo::iopermResult = 0;
    EXPECT_EQ(TFakeIo::calls, (std::vector<std::string>{"ioperm 632 3 1"}));
}

TEST(PpdevPort, FindsTheDeviceByBaseAddress) {
    TempDir dir;
    const TPpdevRoots roots{dir / "proc", dir / "dev"};
    EXPECT_EQ(FindParportDevice(roots, 0x378), ""); // no parport folder at all

    const std::string parport = dir / "proc/sys/dev/parport";
    WriteText(parport + "/parport0/base-addr", "632\t0\n");
    WriteText(parport + "/parport1/base-addr", "888\t1912\n");
    WriteText(parport + "/parport10/base-addr", "956\t0\n");
    WriteText(parport + "/parport2/base-addr", "garbage\n");
    WriteText(parport + "/parport3/irq", "7\n"); // no base-addr
    WriteText(parport + "/default/timeslice", "200\n");
    WriteText(parport + "/parportx/base-addr", "888\n");
    WriteText(parport + "/parport4/base-addr", "8881\t0\n");

    EXPECT_EQ(FindParportDevice(roots, 0x378), dir / "dev/parport1");
    EXPECT_EQ(FindParportDevice(roots, 0x278), dir / "dev/parport0");
    EXPECT_EQ(FindParportDevice(roots, 0x3BC), dir / "dev/parport10");
    EXPECT_EQ(FindParportDevice(roots, 1912), "");
    EXPECT_EQ(FindParportDevice(roots, 0), "");

    // Two ports at one address: the lower number wins.
    WriteText(parport + "/parport7/base-addr", "632\t0\n");
    EXPECT_EQ(FindParportDevice(roots, 0x278), dir / "dev/parport0");
}

TEST(PpdevPort, ADeviceNamesItsBaseAddress) {
    TempDir dir;
    const TPpdevRoots roots{dir / "proc", dir / "dev"};
    WriteText(dir / "proc/sys/dev/parport/parport1/base-addr", "888\t1912\n");
    WriteText(dir / "dev/parport1", "");
    ASSERT_EQ(::symlink("parport1", (dir / "dev/lcd").c_str()), 0);
    EXPECT_EQ(ParportDeviceBase(roots, "/dev/parport1"), 0x378u);
    EXPECT_EQ(ParportDeviceBase(roots, dir / "dev/lcd"), 0x378u); // a link to it
    EXPECT_EQ(ParportDeviceBase(roots, "/dev/parport0"), std::nullopt);
    EXPECT_EQ(ParportDeviceBase(roots, "/dev/ttyS0"), std::nullopt);
}

TEST(PpdevPort, RefusesWhatCannotBeClaimed) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(TPpdevPort::Open(dir / "parport0", error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    WriteText(dir / "parport0", ""); // a plain file: the claim fails
    EXPECT_FALSE(TPpdevPort::Open(dir / "parport0", error));
    EXPECT_NE(error.find("cannot claim"), std::string::npos);
}

TEST(PortBackEnd, OpensTheChosenBackEnd) {
    TempDir dir;
    ScopedEnv proc("ORVANTA3_PORTIO_PROC_ROOT", dir / "proc");
    ScopedEnv dev("ORVANTA3_PORTIO_DEV_ROOT", dir / "dev");
    WriteText(dir / "proc/sys/dev/parport/parport0/base-addr", "888\t0\n");
    WriteText(dir / "dev/parport0", "");
    std::string error;
    EXPECT_FALSE(OpenPortBackEnd(TPortSpec{}, 0x278, error));
    EXPECT_NE(error.find("no parallel port"), std::string::npos);
    EXPECT_FALSE(OpenPortBackEnd(TPortSpec{}, 0x378, error));
    EXPECT_NE(error.find("cannot claim " + dir / "dev/parport0"), std::string::npos);

    TPortSpec emu{TPortSpec::TKind::EmuKs0108, 0, 0, dir / "ks.state"};
    auto port = OpenPortBackEnd(emu, 0x378, error);
    ASSERT_TRUE(port);
    EXPECT_EQ(ReadText(dir / "ks.state").substr(0, 18), "ks0108 128x64 off\n");
}

} // namespace
} // namespace orv

namespace orv {
namespace {

TEST(PortSpec, ErrorsSayWhatIsWrongWithTheValue) {
    std::string error;
    EXPECT_FALSE(ParsePortSpec("nonsense", error));
    EXPECT_EQ(error, "names no port back end (use ppdev, direct, emu:hd44780:ROWSxCOLS:STATEFILE "
                     "or emu:ks0108:STATEFILE)");
    EXPECT_FALSE(ParsePortSpec("emu:", error));
    EXPECT_EQ(error.rfind("names no emulated panel", 0), 0u) << error;
    for (const char* noFile : {"emu:hd44780:4x20", "emu:hd44780:4x20:", "emu:ks0108"}) {
        EXPECT_FALSE(ParsePortSpec(noFile, error));
        EXPECT_EQ(error.rfind("gives the emulator no state file", 0), 0u) << noFile << error;
    }
    // A size too large for any panel is a size error, not a format error.
    for (const char* size : {"99999x99999", "99999999999x20", "3x20"}) {
        EXPECT_FALSE(ParsePortSpec(std::string("emu:hd44780:") + size + ":f", error));
        EXPECT_EQ(error, std::string("asks for ") + size +
                             " characters, a size no HD44780 panel has (the emulator has 1 or 2 "
                             "rows of 8, 16, 20, 24, 32 or 40 characters; 4 rows of 16, 20 or 40 "
                             "characters)");
    }
}

TEST(PpdevPort, ADeviceAnotherProgramHoldsIsRefusedAtOnce) {
    TempDir dir;
    WriteText(dir / "parport0", ""); // stands in for the device
    const int holder = ::open((dir / "parport0").c_str(), O_RDWR);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::string error;
    EXPECT_FALSE(TPpdevPort::Open(dir / "parport0", error));
    EXPECT_EQ(error, "the panel on " + dir / "parport0" +
                         " is already driven by another program; end that program first");
    ::close(holder);
    EXPECT_FALSE(TPpdevPort::Open(dir / "parport0", error));
    EXPECT_NE(error.find("cannot claim"), std::string::npos) << error; // a plain file: no claim
}

TEST(DirectPort, OnePortTakesOneDriverAndAMissingRightIsNamed) {
    TempDir locks;
    std::string error;
    auto first = TDirectPort::Open(0x378, TFakeIo::Calls(), locks.Path(), error);
    ASSERT_TRUE(first) << error;
    EXPECT_FALSE(TDirectPort::Open(0x378, TFakeIo::Calls(), locks.Path(), error));
    EXPECT_EQ(error, "the parallel port at 0x378 is already driven by another program (process " +
                         std::to_string(::getpid()) + "); end that program first");
    EXPECT_TRUE(TDirectPort::Open(0x278, TFakeIo::Calls(), locks.Path(), error)) << error;

    TFakeIo::iopermResult = -1;
    EXPECT_FALSE(TDirectPort::Open(0x3BC, TFakeIo::Calls(), locks.Path(), error));
    TFakeIo::iopermResult = 0;
    EXPECT_EQ(error, "ioperm failed: Operation not permitted (direct I/O needs root, or "
                     "CAP_SYS_RAWIO)");
}

} // namespace
} // namespace orv
