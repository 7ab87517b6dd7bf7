#include "daemon/CommandLine.h"

#include <charconv>
#include <limits>

namespace orv {

const char* const kDaemonUsage =
    "Usage: orvanta3d [--job FILE] [--seconds N] [--tty[=text|dots]] [--config FILE]\n"
    "                 [--verbose] [--help] [--version]\n"
    "       orvanta3d [--config FILE] --list-tags | --list-modules | --check JOB\n"
    "       orvanta3d [--config FILE] --web-password\n"
    "       orvanta3d --init FILE\n"
    "Runs an Orvanta3 job on the configured panel without a window.\n"
    "  --job FILE        the job to run (default: \"Job name\" of the settings file)\n"
    "  --seconds N       stop after N seconds (default: run until SIGINT, SIGTERM or\n"
    "                    SIGQUIT; SIGHUP reads the settings and the job again)\n"
    "  --tty[=MODE]      mirror the display in the terminal: text (default) or dots\n"
    "  --config FILE     the settings file (default: Orvanta3.ini in the documents folder);\n"
    "                    it is only read\n"
    "  --verbose         trace the modules loaded and the module of each tag\n"
    "  --list-tags       list the tags of the modules the settings switch on (of every\n"
    "                    module, marked off, when none is on) and end\n"
    "  --list-modules    list the plug-ins found, whether each is on, and why a library\n"
    "                    is not loaded, and end\n"
    "  --init FILE       write a starter settings file with every key at its default and\n"
    "                    every plug-in off, and end; an existing FILE is left alone\n"
    "  --check JOB       check JOB and the settings without touching the panel and end;\n"
    "                    exit status 1 when something is found\n"
    "  --web ADDRESS:PORT  serve the web interface there ([Web] Address); 127.0.0.1 and\n"
    "                    ::1 need no password, any other address needs --web-password first\n"
    "  --web-password    read the web interface's password from standard input, store its\n"
    "                    hash in the settings file and end\n"
    "  --help            show this text\n"
    "  --version         show the version\n";

namespace {

bool IsOptionWord(const std::string& arg) { return arg.size() > 1 && arg.starts_with('-'); }

} // namespace

std::variant<TDaemonOptions, std::string>
ParseDaemonCommandLine(const std::vector<std::string>& args) {
    TDaemonOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "--name=value" or "--name value" for options that take a value; an option word
        // ("--tty", "-h") is not taken as the value of the one before it.
        auto value = [&](const std::string& name) -> std::optional<std::string> {
            if (arg.starts_with(name + "=")) return arg.substr(name.size() + 1);
            if (arg == name && i + 1 < args.size() && !IsOptionWord(args[i + 1])) return args[++i];
            return std::nullopt;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--tty") {
            options.tty = TTtyMode::Text;
        } else if (arg.starts_with("--tty=")) {
            const std::string mode = arg.substr(6);
            if (mode == "text")
                options.tty = TTtyMode::Text;
            else if (mode == "dots")
                options.tty = TTtyMode::Dots;
            else
                return "unknown --tty mode \"" + mode + "\" (use text or dots)";
        } else if (arg == "--job" || arg.starts_with("--job=")) {
            auto path = value("--job");
            if (!path || path->empty())
                return std::string("--job needs a file name (an option word is none; "
                                   "write --job=FILE for a file whose name starts with '-')");
            options.jobPath = *path;
        } else if (arg == "--config" || arg.starts_with("--config=")) {
            auto path = value("--config");
            if (!path || path->empty()) return std::string("--config needs a file name");
            options.configPath = *path;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--seconds" || arg.starts_with("--seconds=")) {
            auto text = value("--seconds");
            if (!text) return std::string("--seconds needs a number");
            int n = 0;
            const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), n);
            const bool allDigits = end == text->data() + text->size() && !text->starts_with('-');
            if (ec == std::errc::result_out_of_range && allDigits)
                return "--seconds can be at most " +
                       std::to_string(std::numeric_limits<int>::max()) + ", not " + *text;
            if (ec != std::errc() || end != text->data() + text->size() || n <= 0)
                return "--seconds needs a positive whole number, not \"" + *text + "\"";
            options.seconds = n;
        } else if (arg == "--list-tags") {
            options.listTags = true;
        } else if (arg == "--list-modules") {
            options.listModules = true;
        } else if (arg == "--init" || arg.starts_with("--init=")) {
            auto path = value("--init");
            if (!path || path->empty()) return std::string("--init needs a file name");
            options.initPath = *path;
        } else if (arg == "--check" || arg.starts_with("--check=")) {
            auto path = value("--check");
            if (!path || path->empty()) return std::string("--check needs a job file name");
            options.checkJobPath = *path;
        } else if (arg == "--web" || arg.starts_with("--web=")) {
            auto address = value("--web");
            if (!address || address->empty())
                return std::string("--web needs ADDRESS:PORT, e.g. 127.0.0.1:8080");
            options.webAddress = *address;
        } else if (arg == "--web-password") {
            options.webPassword = true;
        } else {
            return "unknown argument \"" + arg + "\" (see --help)";
        }
    }
    return options;
}

} // namespace orv
