// Binary interfaces between the program and its loadable libraries: data modules,
// display drivers and screen-saver modules. Host and every plug-in build from this one header.
//
// Ownership:
// - A library owns its descriptor record, every string the record points to, the answer of
//   GetValue and the driver object that Init creates. The host never writes through or frees
//   any of them.
// - The host may replace the text slots Description, GroupCaption, TagCaptions and TagHints of
//   a data-module descriptor with strings it allocates and never frees (language files). A
//   module must not free, reuse or compare those pointers.
// - A GetValue answer stays valid until the next GetValue of the same module; the host copies
//   it at once.
// - The host keeps the driver object only until the next Configure/Release of its library.
//
// All text is zero-terminated Windows-1251, except the text of WriteText, passed with its length.
//
// Exceptions: nothing but return values crosses this boundary, in either direction. A library
// catches everything in each export, descriptor callback and driver operation and gives the
// operation's failure value instead: an empty GetValue answer, a non-zero Init or Configure,
// false or 0 from a read, nothing written. It says so once in a message (our plug-ins do this
// in abi/PluginFailure.h). The host still guards every call: what a library throws
// anyway, when the two share the C++ run-time library, is caught, the library is reported
// once and the failure value is taken.
#pragma once

#include <cstddef>
#include <cstdint>

#define ORVANTA3_EXPORT extern "C" __attribute__((visibility("default")))

// ---- Data modules -------------------------------------------------------------------------

constexpr int kMaxTags = 16;

using TGetValueFunc = const char* (*)(int32_t index, const char* param);
using TLoadSettingsFunc = int32_t (*)();
using TConfigureFunc = int32_t (*)();
using TFinalizeFunc = void (*)();

// 76 pointer-sized slots. Entry 0 of the caption, name and example arrays is empty; entry k
// (1..TagCount) describes the tag with index k - 1. Unused entries point to "".
struct TPluginDescriptor {
    const char* Name;
    const char* Description;
    uint8_t Id;
    uint8_t TagCount;
    uint8_t Reserved[sizeof(void*) - 2];
    const char* GroupCaption;
    const char* TagCaptions[kMaxTags + 1];
    const char* TagNames[kMaxTags + 1];
    const char* TagExamples[kMaxTags + 1];
    const char* TagHints[kMaxTags + 1];
    TGetValueFunc GetValue;
    TLoadSettingsFunc LoadSettings; // may be null
    TConfigureFunc Configure;       // may be null
    TFinalizeFunc Finalize;         // may be null
};

constexpr size_t kSlot = sizeof(void*);
static_assert(offsetof(TPluginDescriptor, Name) == 0 * kSlot);
static_assert(offsetof(TPluginDescriptor, Description) == 1 * kSlot);
static_assert(offsetof(TPluginDescriptor, Id) == 2 * kSlot);
static_assert(offsetof(TPluginDescriptor, TagCount) == 2 * kSlot + 1);
static_assert(offsetof(TPluginDescriptor, GroupCaption) == 3 * kSlot);
static_assert(offsetof(TPluginDescriptor, TagCaptions) == 4 * kSlot);
static_assert(offsetof(TPluginDescriptor, TagNames) == 21 * kSlot);
static_assert(offsetof(TPluginDescriptor, TagExamples) == 38 * kSlot);
static_assert(offsetof(TPluginDescriptor, TagHints) == 55 * kSlot);
static_assert(offsetof(TPluginDescriptor, GetValue) == 72 * kSlot);
static_assert(offsetof(TPluginDescriptor, LoadSettings) == 73 * kSlot);
static_assert(offsetof(TPluginDescriptor, Configure) == 74 * kSlot);
static_assert(offsetof(TPluginDescriptor, Finalize) == 75 * kSlot);
static_assert(sizeof(TPluginDescriptor) == 76 * kSlot);

// Export of data and screen-saver modules.
using TGetPluginFunc = void* (*)();
constexpr const char* kGetPluginExport = "getPlugin";

// ---- Display drivers ----------------------------------------------------------------------

// The driver object as the host sees it. The virtual operations keep this order; in this base
// every operation does nothing and every read yields false or 0.
class TLCDBaseControl {
public:
    TLCDBaseControl() = default;
    TLCDBaseControl(const TLCDBaseControl&) = delete;
    TLCDBaseControl& operator=(const TLCDBaseControl&) = delete;

    virtual bool GetActive() { return false; }
    virtual void SetActive(bool) {}
    virtual bool GetVisible() { return false; }
    virtual void SetVisible(bool) {}
    virtual bool GetBackLight() { return false; }
    virtual void SetBackLight(bool) {}
    virtual void SetColCount(int32_t) {}
    virtual int32_t GetColCount() { return 0; }
    virtual void SetRowCount(int32_t) {}
    virtual int32_t GetRowCount() { return 0; }
    virtual void SetScanCode(int8_t) {}
    virtual int8_t GetScanCode() { return 0; }
    virtual void SetScanKeyboard(bool) {}
    virtual bool GetScanKeyboard() { return false; }
    virtual void Clear() {}
    // Writes len bytes from (col, row), both from 1. Bytes 0x01..0x08 show custom characters 0..7.
    virtual void WriteText(uint8_t /*col*/, uint8_t /*row*/, const char* /*text*/, size_t /*len*/) {
    }
    // pattern: 8 rows top to bottom, bits 4..0 are the pixels left to right.
    virtual void DefineChar(uint8_t /*index*/, const uint8_t* /*pattern*/) {}

    virtual ~TLCDBaseControl() = default;
};

using TInitFunc = int32_t (*)();
using TReleaseFunc = void (*)();

struct THardwareDescriptor {
    const char* Name;
    const char* Description;
    TLCDBaseControl* Control; // set by Init, reset by Release
    TInitFunc Init;
    TConfigureFunc Configure; // may be null
    TReleaseFunc Release;
};
static_assert(offsetof(THardwareDescriptor, Control) == 2 * kSlot);
static_assert(offsetof(THardwareDescriptor, Release) == 5 * kSlot);
static_assert(sizeof(THardwareDescriptor) == 6 * kSlot);

using TGetHardwareFunc = THardwareDescriptor* (*)();
constexpr const char* kGetHardwareExport = "getHardware";

// Optional export of a driver library: reads the driver's settings section, without touching
// the panel, and calls report once for each value the driver does not take, with the key, the
// value as written and what the driver does instead. Returns the number of reports.
using TSettingsProblemFunc = void (*)(void* context, const char* key, const char* value,
                                      const char* problem);
using TCheckSettingsFunc = int32_t (*)(TSettingsProblemFunc report, void* context);
constexpr const char* kCheckSettingsExport = "checkSettings";

// Optional export of any plug-in: the keys it reads from the settings file, for a starter file
// and the documentation. An array ended by an entry whose Section is null; each entry names the
// section and key, the default as the file writes it and one line on what the key does and its
// range (UTF-8). The plug-in's "Active" key is not listed.
struct TPluginSettingKey {
    const char* Section;
    const char* Key;
    const char* Default;
    const char* Comment;
};
using TSettingKeysFunc = const TPluginSettingKey* (*)();
constexpr const char* kSettingKeysExport = "settingKeys";

// Optional export of a data module: for how many milliseconds from now GetValue(index, param)
// will keep giving the answer it gave last for the same arguments; 0 when it cannot tell. The
// display thread asks right after GetValue, and while the time lasts it may leave a due refresh
// out instead of asking again. It takes at most a second of a promise, so that a clock set
// meanwhile shows within a second.
using TSteadyForFunc = int32_t (*)(int32_t index, const char* param);
constexpr const char* kSteadyForExport = "steadyFor";

// Optional exports of a driver library, both or neither: the display thread calls beginFrame
// before it writes the rows of one frame to the current driver object and endFrame after the
// last, so that a driver can hand the whole frame to its panel at once. Writes outside such a
// pair (a screen saver, a transition, the quit message) each reach the panel on their own.
using TFrameMarkFunc = void (*)();
constexpr const char* kBeginFrameExport = "beginFrame";
constexpr const char* kEndFrameExport = "endFrame";

// ---- Screen-saver modules -----------------------------------------------------------------

using TScreenSaverStartFunc = void (*)(TLCDBaseControl* driver);
using TScreenSaverStopFunc = void (*)();

struct TScreenSaverDescriptor {
    const char* Name;
    const char* Description;
    TScreenSaverStartFunc Start;
    TScreenSaverStopFunc Stop;
};
static_assert(offsetof(TScreenSaverDescriptor, Start) == 2 * kSlot);
static_assert(sizeof(TScreenSaverDescriptor) == 4 * kSlot);

// ---- Interface version ---------------------------------------------------------------------

// Our plug-ins export the version of these interfaces they were built against: a uint32_t named
// ORVANTA3_INTERFACE_VERSION_SYMBOL (see kInterfaceVersionExport), which the build adds to every
// plug-in. The loader refuses a library whose number differs before it calls any of its exports;
// a library without the symbol (written by others against the published interfaces) is loaded
// as before. Raise the number when a descriptor or TLCDBaseControl changes.
constexpr uint32_t kInterfaceVersion = 1;
#define ORVANTA3_INTERFACE_VERSION_SYMBOL Orvanta3InterfaceVersion
#define ORVANTA3_NAME_TEXT(name) ORVANTA3_NAME_TEXT_(name)
#define ORVANTA3_NAME_TEXT_(name) #name
constexpr const char* kInterfaceVersionExport =
    ORVANTA3_NAME_TEXT(ORVANTA3_INTERFACE_VERSION_SYMBOL);

// ---- Services of the program file ---------------------------------------------------------

// Exported by the program (desktop: message box; daemon: one line on standard error).
// Plug-ins find it with dlsym(RTLD_DEFAULT, kMessageBoxExport).
using TMessageBoxFunc = void (*)(const char* text, const char* caption, int flags);
constexpr const char* kMessageBoxExport = "Orvanta3MessageBox";
enum TMessageBoxFlags : int { mbError = 0x10, mbWarning = 0x30, mbInformation = 0x40 };

// Exported by the program: a driver calls it, from any thread, with the keypad code (ScanCode)
// of every key press on its panel. Plug-ins find it with dlsym(RTLD_DEFAULT, kKeyPressExport).
using TKeyPressFunc = void (*)(int8_t code);
constexpr const char* kKeyPressExport = "Orvanta3KeyPress";
// What the program does with a keypad code: the keys on D0, D1 and D2 of the parallel-port
// keypad, and the LCDd keys the driver lcdd.so maps to them.
enum TKeypadCode : int8_t { kKeyPreviousScreen = 0, kKeyNextScreen = 1, kKeyFirstScreen = 2 };
