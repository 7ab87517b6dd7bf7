#include "appcore/remote/RemoteCommand.h"

#include "appcore/Navigation.h"
#include "appcore/remote/RemoteNames.h"

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
    "Exit status 0 when the program took the request, 1 when none answers, 2 for bad arguments.\n";

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

std::variant<TRemoteCommand, std::string> ParseRemoteCommandLine(
    const std::vector<std::string>& args) {
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
    return "unknown command " + verb;
}

std::string SendRemoteCommand(const TRemoteCommand& command) {
    sd_bus* bus = nullptr;
    int r = sd_bus_open_user(&bus);
    if (r < 0) return std::string("no session bus: ") + std::strerror(-r);
    // A program that hangs must not hang the caller (a keyboard shortcut, a script).
    sd_bus_set_method_call_timeout(bus, 10'000'000);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (const auto* navigate = std::get_if<TNavigateCall>(&command))
        r = sd_bus_call_method(bus, kRemoteService, kRemoteObject, kRemoteInterface,
                               kRemoteNavigate, &error, nullptr, "ii", navigate->WParam,
                               navigate->LParam);
    else if (const auto* charset = std::get_if<TCharsetCall>(&command))
        r = sd_bus_call_method(bus, kRemoteService, kRemoteObject, kRemoteInterface,
                               kRemoteCharset, &error, nullptr, "is", charset->Request,
                               charset->Text.c_str());
    std::string failure;
    if (r < 0) {
        if (NobodyAnswers(error))
            failure = "no Orvanta3 program answers on the session bus";
        else if (r == -EINVAL)
            failure = "the text is not valid UTF-8";
        else
            failure = std::string("the request failed: ") +
                      (error.message ? error.message : std::strerror(-r));
    }
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return failure;
}

} // namespace orv
