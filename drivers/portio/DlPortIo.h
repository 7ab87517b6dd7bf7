// libdlportio.so: byte-wide parallel-port I/O for the display drivers, which load it at
// activation (beside the program first, then by the system's search path) and look the
// functions up by name.
//
// Registers: data = base, status = base + 1, control = base + 2, written as raw register
// values (the callers handle the inverted control lines; every back end passes values through).
//
// DlPortOpen(base) opens the port with the back end named by ORVANTA3_PORTIO:
//   ppdev (default)                    /dev/parportN whose base-addr equals base, claimed
//   direct                             ioperm/outb/inb, x86, 0x378, 0x278 or 0x3BC ranges only
//   emu:hd44780:ROWSxCOLS:STATEFILE    emulated text panel, state file as in PortEmulator.h
//   emu:ks0108:STATEFILE               emulated 128 x 64 graphic panel
// It returns 0 on success; otherwise DlPortLastError tells why and the caller treats the port as
// unusable. Opening an open port again only counts a further user; each
// DlPortClose ends one use (flushing the emulator's state file) and the last one releases the
// port. Ports still open when the library is unloaded or the process exits are released then
// (an emulator writes its final state).
//
// Reads and writes reach an open port when the address is one of its three registers; writes
// to any other address are ignored and reads return 0 (so a keypad scan sees no key).
#pragma once

#include <cstdint>

#define ORVANTA3_PORTIO_API extern "C" __attribute__((visibility("default")))

ORVANTA3_PORTIO_API void DlPortWritePortUchar(uint32_t port, uint8_t value);
ORVANTA3_PORTIO_API uint8_t DlPortReadPortUchar(uint32_t port);
ORVANTA3_PORTIO_API int32_t DlPortOpen(uint32_t basePort);
ORVANTA3_PORTIO_API void DlPortClose(uint32_t basePort);
// Opens the port of a ppdev device such as "/dev/parport0" with the back end of ORVANTA3_PORTIO
// (direct: the base address in the device's base-addr; an emulator: as DlPortOpen). Its
// registers then answer at *basePort, an address of 0x10000 or more, beyond the x86 I/O space,
// that no port opened by address has; DlPortClose(*basePort) ends the use. Opening the same
// device again counts a further user and gives the same address. 0 on success.
ORVANTA3_PORTIO_API int32_t DlPortOpenDevice(const char* device, uint32_t* basePort);
// The caller has finished one whole update of the panel (a line of text, a clear, a character
// pattern). An emulator writes its state file now, or one interval after its last write; it
// then no longer needs its own timer. Nothing for hardware.
ORVANTA3_PORTIO_API void DlPortEndOfUpdate(uint32_t basePort);
// Why the last DlPortOpen of this thread failed (UTF-8, one line), or "" after a success. The
// text stays valid until the thread's next DlPortOpen.
ORVANTA3_PORTIO_API const char* DlPortLastError();
// Emulators only: bit i set = the key between data line D_i and status bit 3 is held (also
// for ports opened later).
ORVANTA3_PORTIO_API void DlPortEmuSetKeys(uint32_t heldMask);

// The function types, for dlsym.
using TDlPortWritePortUchar = void (*)(uint32_t port, uint8_t value);
using TDlPortReadPortUchar = uint8_t (*)(uint32_t port);
using TDlPortOpen = int32_t (*)(uint32_t basePort);
using TDlPortClose = void (*)(uint32_t basePort);
using TDlPortOpenDevice = int32_t (*)(const char* device, uint32_t* basePort);
using TDlPortEndOfUpdate = void (*)(uint32_t basePort);
using TDlPortEmuSetKeys = void (*)(uint32_t heldMask);
using TDlPortLastError = const char* (*)();
