#include "mediabridge/BridgeOptions.h"

namespace orv {

namespace {

constexpr const char* kUsage =
    "Usage: orvanta3-mpd [--fifo PATH] [--fifo-format RATE:16:CHANNELS] [--music-directory DIR]\n"
    "Publishes what MPD plays (MPD_HOST, MPD_PORT), or else the first MPRIS player, in the\n"
    "shared block OrvantaMP3Data for the music player modules of Orvanta3.\n"
    "  --fifo PATH             MPD's fifo output, for the spectrum and levels (/tmp/mpd.fifo)\n"
    "  --fifo-format FORMAT    its format as in mpd.conf (44100:16:2)\n"
    "  --music-directory DIR   MPD's music directory when MPD is reached over the network\n";

} // namespace

std::variant<TBridgeOptions, TBridgeHelp, TBridgeError>
ParseBridgeCommandLine(const std::vector<std::string>& args) {
    TBridgeOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") return TBridgeHelp{kUsage};
        if (arg == "--version") return TBridgeHelp{"orvanta3-mpd " ORVANTA3_VERSION "\n"};
        std::string name = arg, value;
        const size_t equals = arg.find('=');
        const bool inlineValue = arg.starts_with("--") && equals != std::string::npos;
        if (inlineValue) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        if (name != "--fifo" && name != "--fifo-format" && name != "--music-directory")
            return TBridgeError{"unknown option " + arg};
        if (!inlineValue) {
            if (i + 1 >= args.size()) return TBridgeError{name + " needs a value"};
            value = args[++i];
        }
        if (name == "--fifo") {
            if (value.empty()) return TBridgeError{"--fifo needs a path"};
            options.FifoPath = value;
        } else if (name == "--fifo-format") {
            const auto format = ParseFifoFormat(value);
            if (!format)
                return TBridgeError{"--fifo-format " + value +
                                    ": expected RATE:16:CHANNELS with 1 or 2 channels"};
            options.FifoFormat = *format;
        } else {
            options.MusicDirectory = value;
        }
    }
    return options;
}

} // namespace orv
