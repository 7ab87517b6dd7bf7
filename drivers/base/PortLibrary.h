// The port I/O library libdlportio.so, loaded while a driver is active.
#pragma once

#include "drivers/base/PortText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orv {

inline constexpr const char* kPortLibraryName = "libdlportio.so";

// One loaded copy of the port library with one port opened. The port is released
// (DlPortClose) and the library unloaded when the object is destroyed.
class TPortLibrary {
public:
    // Tries the paths in order and takes the first that loads and exports the byte writer and
    // reader; then opens the port. nullptr and the message for the user in error (UTF-8) when
    // no path loads or the port cannot be opened (with the library's reason, DlPortLastError).
    static std::unique_ptr<TPortLibrary> Load(const std::vector<std::string>& paths,
                                              const TPortName& port, std::string& error);
    ~TPortLibrary();
    TPortLibrary(const TPortLibrary&) = delete;
    TPortLibrary& operator=(const TPortLibrary&) = delete;

    // Releases the open port and opens another; false and the message in error when it cannot
    // be opened (no port is open then).
    bool Reopen(const TPortName& port, std::string& error);
    // Where the open port's registers answer: its base address, or the address the library gave
    // a port opened by device name.
    uint32_t Base() const { return base_; }

    void Write(uint32_t port, uint8_t value) const { write_(port, value); }
    uint8_t Read(uint32_t port) const { return read_(port); }
    // One whole panel update has ended (optional export DlPortEndOfUpdate).
    void EndOfUpdate() const {
        if (endOfUpdate_ && opened_) endOfUpdate_(base_);
    }

private:
    using TWriteFunc = void (*)(uint32_t, uint8_t);
    using TReadFunc = uint8_t (*)(uint32_t);
    using TOpenFunc = int32_t (*)(uint32_t);
    using TOpenDeviceFunc = int32_t (*)(const char*, uint32_t*);
    using TCloseFunc = void (*)(uint32_t);
    using TEndOfUpdateFunc = void (*)(uint32_t);
    using TLastErrorFunc = const char* (*)();

    explicit TPortLibrary(void* handle);
    bool OpenPort(const TPortName& port, std::string& error);
    void CloseBase();

    void* handle_;
    TWriteFunc write_ = nullptr;
    TReadFunc read_ = nullptr;
    TOpenFunc open_ = nullptr;               // optional: a library without it needs no opening
    TOpenDeviceFunc openDevice_ = nullptr;   // optional: without it no port opens by device name
    TEndOfUpdateFunc endOfUpdate_ = nullptr; // optional
    TCloseFunc close_ = nullptr;             // optional
    TLastErrorFunc lastError_ = nullptr;     // optional
    uint32_t base_ = 0;
    bool opened_ = false;
};

} // namespace orv
