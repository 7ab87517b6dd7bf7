// A character display on a serial line that takes the 0xFE command set, emulated on a
// pseudo-terminal: the driver opens the terminal through a stable link (as udev gives a
// by-id name), the emulator interprets what arrives on an HD44780 panel and writes its state
// file (the HD44780 form, then "backlight on|off", "brightness N", "contrast N" and, for
// commands it does not know, "unknown command 0xNN"). Unplug takes the device away (the driver
// sees a hang-up), Plug brings a new one with a blank panel under the same name; Freeze stops
// reading (a display that hangs) until Thaw.
#pragma once

#include "drivers/base/TextPanelGeometry.h"
#include "drivers/portio/Hd44780Panel.h"
#include "base/AtomicFile.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orv::test {

class TSerialPanelEmulator {
public:
    TSerialPanelEmulator(std::string link, std::string stateFile, int rows, int cols)
        : link_(std::move(link)), stateFile_(std::move(stateFile)), rows_(rows), cols_(cols) {
        Plug();
    }
    ~TSerialPanelEmulator() { Unplug(); }

    void Plug() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0)
            throw std::runtime_error("no pseudo-terminal");
        // Held open so that the master never sees a hang-up between two openings by the driver.
        slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        {
            std::lock_guard lock(mutex_);
            panel_ = std::make_unique<THd44780Panel>(rows_, cols_);
            for (uint8_t c : {rows_ == 1 ? 0x30 : 0x38, 0x0C, 0x06, 0x01}) Instruction(c);
            backLight_ = true;
            brightness_ = contrast_ = -1;
            unknown_.clear();
            command_.clear();
            WriteState();
        }
        ::unlink(link_.c_str());
        if (::symlink(name, link_.c_str()) != 0) throw std::runtime_error("no link " + link_);
        Thaw();
    }

    void Freeze() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    void Thaw() {
        stop_ = false;
        thread_ = std::thread([this] { Run(); });
    }

    void Unplug() {
        if (master_ < 0) return;
        Freeze();
        ::unlink(link_.c_str());
        ::close(slave_);
        ::close(master_);
        master_ = slave_ = -1;
    }

    // Bytes the display sends, as its keys do.
    void SendKeys(const std::string& bytes) {
        if (::write(master_, bytes.data(), bytes.size()) < 0) throw std::runtime_error("no keys");
    }

private:
    void Run() {
        uint8_t buffer[256];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) continue;
            std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < n; ++i) Interpret(buffer[i]);
            WriteState();
        }
    }

    void Write(unsigned reg, uint8_t value) { panel_->Write(reg, value); }
    void Instruction(uint8_t c) {
        Write(kControlRegister, 0x00);
        Write(kDataRegister, c);
        Write(kControlRegister, 0x01);
    }
    void Data(uint8_t d) {
        Write(kControlRegister, 0x04);
        Write(kDataRegister, d);
        Write(kControlRegister, 0x05);
    }

    // Bytes after 0xFE each command takes.
    static int Arguments(uint8_t command) {
        switch (command) {
        case 0x47:
        case 0xD1: return 2;
        case 0x4E: return 9;
        case 0x42:
        case 0x99:
        case 0x50: return 1;
        default: return 0;
        }
    }

    void Interpret(uint8_t b) {
        if (command_.empty()) {
            if (b == 0xFE)
                command_.push_back(b);
            else
                Data(b);
            return;
        }
        command_.push_back(b);
        if (command_.size() < 2 || command_.size() < 2u + Arguments(command_[1])) return;
        const std::vector<uint8_t> c = std::move(command_);
        command_.clear();
        switch (c[1]) {
        case 0x58: Instruction(0x01); break;
        case 0x48: Instruction(0x02); break;
        case 0x47:
            if (c[3] >= 1 && c[3] <= rows_ && c[2] >= 1 && c[2] <= cols_)
                Instruction(
                    static_cast<uint8_t>(0x80 | (Hd44780RowAddress(c[3], cols_) + c[2] - 1)));
            break;
        case 0x4E: {
            // The firmware puts the cursor back where it was.
            const uint8_t ac = panel_->Controller(0).AddressCounter();
            Instruction(static_cast<uint8_t>(0x40 + 8 * (c[2] & 7)));
            for (int i = 0; i < 8; ++i) Data(c[3 + i]);
            Instruction(static_cast<uint8_t>(0x80 | ac));
            break;
        }
        case 0x42: backLight_ = true; break;
        case 0x46: backLight_ = false; break;
        case 0x99: brightness_ = c[2]; break;
        case 0x50: contrast_ = c[2]; break;
        case 0xD1:
            if (c[2] != cols_ || c[3] != rows_) unknown_ += "wrong size\n";
            break;
        case 0x41:
        case 0x4B:
        case 0x54:
        case 0x52: break;
        default: {
            char text[40];
            std::snprintf(text, sizeof text, "unknown command 0x%02X\n", c[1]);
            unknown_ += text;
        }
        }
    }

    void WriteState() {
        std::string text = panel_->StateText();
        text += backLight_ ? "backlight on\n" : "backlight off\n";
        text += "brightness " + std::to_string(brightness_) + "\ncontrast " +
                std::to_string(contrast_) + "\n" + unknown_;
        WriteFileAtomic(stateFile_, text, TFileSync::Volatile);
    }

    const std::string link_, stateFile_;
    const int rows_, cols_;
    int master_ = -1, slave_ = -1;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
    std::mutex mutex_;
    std::unique_ptr<THd44780Panel> panel_;
    bool backLight_ = true;
    int brightness_ = -1, contrast_ = -1;
    std::string unknown_;
    std::vector<uint8_t> command_;
};

} // namespace orv::test
