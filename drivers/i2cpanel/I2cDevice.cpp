#include "drivers/i2cpanel/I2cDevice.h"

#include "drivers/portio/EmulatorPort.h"
#include "drivers/portio/PanelLock.h"
#include "drivers/portio/Pcf8574Panel.h"
#include "drivers/portio/PortBackEnd.h"
#include "base/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orv {

namespace {

// Bytes per I2C message: small enough for every adapter's buffer.
constexpr size_t kMessageBytes = 32;
constexpr const char* kLockFolder = "/run/lock";

std::string AddressText(uint8_t address) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", address);
    return text;
}

class TLinuxI2cDevice final : public TI2cDevice {
public:
    TLinuxI2cDevice(int fd, std::unique_ptr<TPanelLock> lock) : fd_(fd), lock_(std::move(lock)) {}
    ~TLinuxI2cDevice() override { ::close(fd_); }

    bool Write(const uint8_t* bytes, size_t count, std::string& error) override {
        while (count > 0) {
            const size_t n = std::min(count, kMessageBytes);
            const ssize_t written = ::write(fd_, bytes, n);
            if (written < 0 && errno == EINTR) continue;
            if (written != static_cast<ssize_t>(n)) {
                error = written < 0 ? std::strerror(errno) : "the device took part of a message";
                return false;
            }
            bytes += n;
            count -= n;
        }
        return true;
    }

private:
    int fd_;
    std::unique_ptr<TPanelLock> lock_;
};

class TEmulatedI2cDevice final : public TI2cDevice {
public:
    explicit TEmulatedI2cDevice(std::unique_ptr<TEmulatorPort> port) : port_(std::move(port)) {}
    // With ORVANTA3_I2C_TRAFFIC=FILE the bus traffic is added to FILE at the end (benchmarks).
    ~TEmulatedI2cDevice() override {
        const char* traffic = std::getenv("ORVANTA3_I2C_TRAFFIC");
        if (!traffic || !*traffic) return;
        if (FILE* file = std::fopen(traffic, "a")) {
            std::fprintf(file, "%llu bytes in %llu updates\n", bytes_, updates_);
            std::fclose(file);
        }
    }

    bool Write(const uint8_t* bytes, size_t count, std::string&) override {
        bytes_ += count;
        port_->Drive([&](TEmulatedPanel& panel) {
            auto& backpack = static_cast<TPcf8574Panel&>(panel);
            for (size_t i = 0; i < count; ++i) backpack.WriteExpander(bytes[i]);
        });
        return true;
    }
    void EndOfUpdate() override {
        ++updates_;
        port_->EndOfUpdate();
    }

private:
    std::unique_ptr<TEmulatorPort> port_;
    unsigned long long bytes_ = 0, updates_ = 0;
};

std::unique_ptr<TI2cDevice> OpenEmulated(const std::string& backEnd, std::string& error) {
    std::string problem;
    const std::optional<TPortSpec> choice = ParsePortSpec(backEnd, problem);
    if (!choice || choice->kind != TPortSpec::TKind::EmuHd44780 || choice->stateFile.empty()) {
        error = std::string(kI2cBackEndVariable) + "=" + backEnd + " " +
                (problem.empty() ? "names no I2C back end (use emu:hd44780:ROWSxCOLS:STATEFILE)"
                                 : problem);
        return nullptr;
    }
    auto port = TEmulatorPort::Open(std::make_unique<TPcf8574Panel>(choice->rows, choice->cols),
                                    choice->stateFile, kStateFileInterval, error);
    if (!port) return nullptr;
    return std::make_unique<TEmulatedI2cDevice>(std::move(port));
}

} // namespace

std::unique_ptr<TI2cDevice> OpenI2cDevice(const std::string& bus, uint8_t address,
                                          std::string& error) {
    if (const char* backEnd = std::getenv(kI2cBackEndVariable); backEnd && *backEnd)
        return OpenEmulated(backEnd, error);
    const std::string panel = "the I2C panel at " + AddressText(address) + " on " + bus;
    if (address < 0x03 || address > 0x77) {
        error = AddressText(address) + " is no I2C device address (0x03 to 0x77)";
        return nullptr;
    }
    auto lock =
        TPanelLock::Acquire(std::string(kLockFolder) + "/orvanta3-" + std::string(BaseName(bus)) +
                                "-" + AddressText(address) + ".lock",
                            panel, error);
    if (!lock) return nullptr;
    const int fd = ::open(bus.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + bus + ": " + std::strerror(errno) +
                (errno == EACCES ? " (the user needs the group i2c)" : "");
        return nullptr;
    }
    if (::ioctl(fd, I2C_SLAVE, static_cast<unsigned long>(address)) != 0) {
        error = "cannot address " + panel + ": " + std::strerror(errno) +
                (errno == EBUSY ? " (a kernel driver holds that address)" : "");
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<TLinuxI2cDevice>(fd, std::move(lock));
}

} // namespace orv
