// Runs a fuzz target's entry point once for every file named on the command line, or for every
// file inside a named folder: the seed corpus and the inputs that once failed, replayed by the
// normal build so that a regression shows up in the ordinary test run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    // A copy of exactly the input's size, so that a read past its end is one past the block.
    const std::vector<uint8_t> input(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    size_t replayed = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::recursive_directory_iterator(path))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& f : files) {
                ok = Replay(f) && ok;
                ++replayed;
            }
        } else if (fs::exists(path, error)) {
            ok = Replay(path) && ok;
            ++replayed;
        }
        // A folder that does not exist yet (no failure kept so far) replays nothing.
    }
    std::printf("%zu inputs replayed\n", replayed);
    return ok ? 0 : 1;
}
