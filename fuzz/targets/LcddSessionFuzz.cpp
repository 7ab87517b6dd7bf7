// What an LCDd server (or whatever listens on its port) sends, and what the panel is given in
// the meantime. The first line is the answer to "hello"; every further line is both a message
// from the server and one change of the panel, chosen by its first byte:
//   'w' col row text...   'c' clear   'd' index 8 pattern bytes   'v' visible
// The commands the driver sends back must stay well-formed lines, whatever the bytes.
#include "drivers/lcdd/LcddProtocol.h"
#include "drivers/lcdd/LcddScreen.h"
#include "fuzz/FuzzInput.h"

#include <string>
#include <string_view>

using namespace orv;

namespace {

// Each command is one line of a known verb, and a row's text fills exactly the row.
void CheckCommands(const std::string& commands, const TLcddScreen& screen) {
    if (commands.empty()) return;
    FUZZ_CHECK(commands.back() == '\n');
    for (std::string_view line :
         fuzz::Split(std::string_view(commands).substr(0, commands.size() - 1), '\n')) {
        FUZZ_CHECK(line.find('\r') == std::string_view::npos);
        FUZZ_CHECK(line.starts_with("widget_set ") || line.starts_with("widget_add ") ||
                   line.starts_with("widget_del ") || line.starts_with("screen_set ") ||
                   line.starts_with("screen_add ") || line.starts_with("client_"));
        const size_t quote = line.find('"');
        if (quote == std::string_view::npos) continue;
        FUZZ_CHECK(line.back() == '"' && line.size() - quote >= 2);
        size_t length = 0;
        for (size_t i = quote + 1; i + 1 < line.size(); ++i, ++length) {
            if (line[i] == '\\')
                ++i;
            else
                FUZZ_CHECK(line[i] != '"');
        }
        FUZZ_CHECK(static_cast<int32_t>(length) == screen.Cols());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string_view> lines = fuzz::Split(fuzz::AsText(data, size), '\n');
    TLcddScreen screen;
    if (const std::optional<TLcddDisplay> display = ParseConnectReply(lines.front())) {
        FUZZ_CHECK(display->cols > 0 && display->rows > 0);
        screen.SetDisplay(*display);
    }
    FUZZ_CHECK(screen.Rows() >= 1 && screen.Rows() <= kLcddMaxRows);
    FUZZ_CHECK(screen.Cols() >= 1 && screen.Cols() <= kLcddMaxCols);
    CheckCommands(screen.Setup(), screen);

    for (size_t n = 1; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        if (KeypadCodeOfKeyEvent(line)) FUZZ_CHECK(line.starts_with("key "));
        if (line.empty()) continue;
        const auto byte = [&](size_t i) {
            return i < line.size() ? static_cast<uint8_t>(line[i]) : uint8_t{0};
        };
        switch (line[0]) {
        case 'w': {
            const std::string_view text = line.size() > 3 ? line.substr(3) : std::string_view{};
            screen.Write(byte(1), byte(2), text.data(), text.size());
            break;
        }
        case 'c': screen.Clear(); break;
        case 'd': {
            TLcddPattern pattern{};
            for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = byte(2 + i);
            screen.Define(byte(1), pattern);
            break;
        }
        case 'v': screen.SetVisible(byte(1) & 1); break;
        default: break;
        }
        CheckCommands(screen.TakeUpdate(), screen);
        // What was sent is now taken as told.
        FUZZ_CHECK(screen.TakeUpdate().empty());
    }
    return 0;
}
