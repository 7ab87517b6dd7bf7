#include "appcore/remote/RemoteCommand.h"

#include "engine/Navigation.h"
#include "appcore/remote/RemoteNames.h"
#include "appcore/TerminalMirror.h"
#include "font/Font5x8.h"
#include <algorithm>

#include <charconv>
#include <cstring>
#include <systemd/sd-bus.h>

namespace orv {

const char* const kRemoteUsage =
    "usage: orvanta3ctl COMMAND\n"
    "Asks the running orvanta3 or orvanta3d on the session bus to\n"
    "  next              show the next screen\n"
    "  previous          show the previous screen\n"
    "  goto N            show screen N (0 is the first; ignored outside the job)\n"
    "  charset R [TEXT]  load custom characters: R 0, 1, 2 a character set, 3 the big clock,\n"
    "                    4 one character from rows (TEXT \"'n;x1F;x11;...'\"),\n"
    "                    5 one character by glyph name (TEXT \"'n;name'\")\n"
    "  show [--dots]     print the rows the panel shows now, as text (custom characters as\n"
    "                    ① to ⑧) or as its dot matrix\n"
    "  status            print the job file, the current screen, the driver and the modules on\n"
    "  reload            read the settings and the job again (as SIGHUP does orvanta3d)\n"
    "Exit status 0 when the program took the request, 1 when none answers or the request\n"
    "failed, 2 for bad arguments.\n";

namespace {

bool ParseInt32(const std::string& text, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// A bus reply that means nobody owns the name.
bool NobodyAnswers(const sd_bus_error& error) {
    return sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
           sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
           sd_bus_error_has_name(&error, SD_BUS_ERROR_NO_REPLY) ||
           sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_OBJECT) ||
           sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_METHOD);
}

} // namespace

std::variant<TRemoteCommand, std::string>
ParseRemoteCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return std::string("no command given");
    const std::string& verb = args[0];
    const size_t operands = args.size() - 1;
    if (verb == "--help" || verb == "-h") return TRemoteCommand{TRemoteHelp{}};
    if (verb == "next" || verb == "previous") {
        if (operands != 0) return verb + " takes no operand";
        return TRemoteCommand{TNavigateCall{verb == "next" ? navNext : navPrevious, 0}};
    }
    if (verb == "goto") {
        int32_t screen = 0;
        if (operands != 1 || !ParseInt32(args[1], screen))
            return std::string("goto takes one screen number");
        return TRemoteCommand{TNavigateCall{navGoTo, screen}};
    }
    if (verb == "charset") {
        int32_t request = 0;
        if (operands < 1 || operands > 2 || !ParseInt32(args[1], request))
            return std::string("charset takes a request number and an optional text");
        return TRemoteCommand{TCharsetCall{request, operands == 2 ? args[2] : std::string()}};
    }
    if (verb == "show") {
        if (operands == 0) return TRemoteCommand{TShowCall{}};
        if (operands == 1 && args[1] == "--dots") return TRemoteCommand{TShowCall{true}};
        return std::string("show takes only --dots");
    }
    if (verb == "status" || verb == "reload") {
        if (operands != 0) return verb + " takes no operand";
        return verb == "status" ? TRemoteCommand{TStatusCall{}} : TRemoteCommand{TReloadCall{}};
    }
    return "unknown command " + verb;
}

std::string RenderRemoteFrame(const std::vector<std::string>& rows,
                              const std::vector<std::string>& customChars, bool dots) {
    const TTerminalMirror mirror(nullptr, dots ? TTtyMode::Dots : TTtyMode::Text, false,
                                 [&customChars](uint8_t code) -> TGlyph {
                                     const size_t slot = code - 1u;
                                     if (code >= 1 && slot < customChars.size() &&
                                         customChars[slot].size() == 8) {
                                         TGlyph glyph{};
                                         std::copy_n(customChars[slot].begin(), 8, glyph.begin());
                                         return glyph;
                                     }
                                     return Font5x8Glyph(code);
                                 });
    std::string text;
    for (const std::string& line : mirror.Render(rows)) text += line + "\n";
    return text;
}

namespace {

// An array of byte arrays from a reply, at most maxCount of at most maxBytes each: a program
// answering on the name must not make the caller read without end.
int ReadByteArrays(sd_bus_message* reply, std::vector<std::string>& arrays, size_t maxCount,
                   size_t maxBytes) {
    int r = sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "ay");
    while (r > 0) {
        const void* data = nullptr;
        size_t size = 0;
        r = sd_bus_message_read_array(reply, 'y', &data, &size);
        if (r <= 0) break;
        if (arrays.size() >= maxCount || size > maxBytes) return -EBADMSG;
        arrays.emplace_back(static_cast<const char*>(data), size);
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(reply);
}

constexpr size_t kMaxFrameRows = 64;
constexpr size_t kMaxRowBytes = 256;
constexpr size_t kMaxStatusBytes = 64 * 1024;

} // namespace

// The request on one bus; nobody is set when no program answers there.
std::string SendOnBus(sd_bus* bus, const TRemoteCommand& command, std::string* output,
                      bool& nobody) {
    int r = 0;
    // A program that hangs must not hang the caller (a keyboard shortcut, a script).
    sd_bus_set_method_call_timeout(bus, 10'000'000);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (const auto* navigate = std::get_if<TNavigateCall>(&command))
        r = sd_bus_call_method(bus, kRemoteService, kRemoteObject, kRemoteInterface,
                               kRemoteNavigate, &error, nullptr, "ii",
                               static_cast<int32_t>(navigate->Step), navigate->Screen);
    else if (const auto* charset = std::get_if<TCharsetCall>(&command))
        r = sd_bus_call_method(bus, kRemoteService, kRemoteObject, kRemoteInterface, kRemoteCharset,
                               &error, nullptr, "is", charset->Request, charset->Text.c_str());
    else if (std::holds_alternative<TReloadCall>(command))
        r = sd_bus_call_method(bus, kRemoteService, kRemoteObject, kRemoteInterface, kRemoteReload,
                               &error, nullptr, "");
    else if (const auto* show = std::get_if<TShowCall>(&command)) {
        sd_bus_message* reply = nullptr;
        r = sd_bus_call_method(bus, kRemoteService, kRemoteObject, kRemoteInterface, kRemoteFrame,
                               &error, &reply, "");
        std::vector<std::string> rows, custom;
        if (r >= 0) r = ReadByteArrays(reply, rows, kMaxFrameRows, kMaxRowBytes);
        if (r >= 0) r = ReadByteArrays(reply, custom, 8, 8);
        if (r >= 0 && output) *output = RenderRemoteFrame(rows, custom, show->Dots);
        sd_bus_message_unref(reply);
    } else if (std::holds_alternative<TStatusCall>(command)) {
        sd_bus_message* reply = nullptr;
        r = sd_bus_call_method(bus, kRemoteService, kRemoteObject, kRemoteInterface, kRemoteStatus,
                               &error, &reply, "");
        const char* text = nullptr;
        if (r >= 0) r = sd_bus_message_read(reply, "s", &text);
        if (r >= 0 && output) *output = std::string(text ? text : "").substr(0, kMaxStatusBytes);
        sd_bus_message_unref(reply);
    }
    std::string failure;
    if (r < 0) {
        if (NobodyAnswers(error)) {
            nobody = true;
            failure = "no Orvanta3 program answers on the session bus";
        } else if (sd_bus_error_has_name(&error, kRemoteReloadFailed))
            failure = std::string("the reload failed: ") + (error.message ? error.message : "");
        else if (r == -EINVAL)
            failure = "the text is not valid UTF-8";
        else
            failure = std::string("the request failed: ") +
                      (error.message ? error.message : std::strerror(-r));
    }
    sd_bus_error_free(&error);
    return failure;
}

std::string SendRemoteCommand(const TRemoteCommand& command, std::string* output) {
    // The session bus first (the desktop program, a user's daemon), then the system bus (the
    // system service).
    std::string failure;
    for (const bool system : {false, true}) {
        sd_bus* bus = nullptr;
        const int r = system ? sd_bus_open_system(&bus) : sd_bus_open_user(&bus);
        if (r < 0) {
            if (!system) failure = std::string("no session bus: ") + std::strerror(-r);
            continue;
        }
        bool nobody = false;
        std::string answer = SendOnBus(bus, command, output, nobody);
        sd_bus_flush_close_unref(bus);
        if (!nobody) return answer;
        if (!system) failure = answer;
    }
    return failure;
}

} // namespace orv
