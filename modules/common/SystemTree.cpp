#include "modules/common/SystemTree.h"

#include "base/AtomicFile.h"
#include "base/TextUtil.h"

#include <charconv>
#include <dirent.h>

namespace orv {

namespace {

template <typename T> std::optional<T> ParseWhole(std::string_view text) {
    if (text.empty()) return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

std::optional<std::string> TSystemTree::Read(std::string_view absolute) const {
    return ReadWholeFile(Path(absolute));
}

std::optional<std::string> TSystemTree::ReadLine(std::string_view absolute) const {
    const auto text = Read(absolute);
    if (!text) return std::nullopt;
    const std::string_view all = *text;
    return std::string(Trim(all.substr(0, all.find('\n'))));
}

std::optional<int64_t> TSystemTree::ReadInteger(std::string_view absolute) const {
    const auto line = ReadLine(absolute);
    return line ? ParseWhole<int64_t>(*line) : std::nullopt;
}

std::optional<uint64_t> TSystemTree::ReadUnsigned(std::string_view absolute) const {
    const auto line = ReadLine(absolute);
    return line ? ParseWhole<uint64_t>(*line) : std::nullopt;
}

std::vector<std::string> TSystemTree::List(std::string_view absolute) const {
    std::vector<std::string> names;
    DIR* dir = ::opendir(Path(absolute).c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

} // namespace orv
