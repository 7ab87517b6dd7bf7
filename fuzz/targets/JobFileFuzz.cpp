// A job file as a user may have edited it: loaded, saved and loaded again.
#include "engine/JobUnit.h"
#include "fuzz/FuzzInput.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

using namespace orv;

namespace {

// In memory where there is such a folder: every save is an atomic write with its flush.
std::string ScratchPath(const char* what) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                               : tmp && *tmp                 ? tmp
                                                             : "/tmp";
    return folder + "/orvanta3-fuzz-" + what + "-" + std::to_string(getpid()) + ".orv3";
}

// Saving puts every text on one line: line breaks inside a name or a line become blanks. A
// file written as UTF-8 (its Windows-1251 bytes would read as UTF-8) has no character for 0x98.
TJobScreen AsSaved(TJobScreen screen, bool savedAsUtf8) {
    const auto oneLine = [&](std::string& text) {
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';
            if (savedAsUtf8 && c == '\x98') c = '?';
        }
    };
    oneLine(screen.Name);
    for (auto& line : screen.Line) oneLine(line);
    return screen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = ScratchPath("job");
    static const std::string saved = ScratchPath("saved");
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TJob job;
    FUZZ_CHECK(job.LoadFromFile(input));
    for (int i = 0; i < job.Count(); ++i) {
        for (int line = 1; line <= kMaxRows; ++line) {
            job.GetLine(i, line);
            job.GetAlign(i, line);
            job.GetScroll(i, line);
        }
    }
    std::remove(saved.c_str());
    if (job.Count() > 0) {
        FUZZ_CHECK(job.SaveToFile(saved));
        TJob again;
        FUZZ_CHECK(again.LoadFromFile(saved));
        // Every screen comes back as it was saved.
        FUZZ_CHECK(again.Count() == job.Count());
        char bom[3] = {};
        std::ifstream(saved, std::ios::binary).read(bom, sizeof bom);
        const bool savedAsUtf8 = std::string_view(bom, sizeof bom) == "\xEF\xBB\xBF";
        for (int i = 0; i < job.Count(); ++i)
            FUZZ_CHECK(*again.Screen(i) == AsSaved(*job.Screen(i), savedAsUtf8));
    }
    return 0;
}
