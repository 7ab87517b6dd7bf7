#include "modules/sensorlink/HwmonSensors.h"

#include "base/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace orv {

namespace {

const std::string kHwmon = "/sys/class/hwmon/";

// The number in "hwmon12" or "temp3_input" after prefix, when the rest is suffix.
std::optional<int> NumberBetween(std::string_view name, std::string_view prefix,
                                 std::string_view suffix) {
    if (!name.starts_with(prefix) || !name.ends_with(suffix)) return std::nullopt;
    const std::string_view digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

// Input numbers of one kind ("temp", "fan", "in") in a folder, ascending.
std::vector<int> Inputs(const std::vector<std::string>& names, std::string_view kind) {
    std::vector<int> numbers;
    for (const std::string& name : names)
        if (const auto number = NumberBetween(name, kind, "_input")) numbers.push_back(*number);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

struct TChip {
    std::string Folder; // "/sys/class/hwmon/hwmon0/" or its "device/" where the inputs live
    std::vector<std::string> Names;
};

std::vector<TChip> Chips(const TSystemTree& tree) {
    std::vector<std::pair<int, std::string>> numbered;
    for (const std::string& name : tree.List(kHwmon))
        if (const auto number = NumberBetween(name, "hwmon", ""))
            numbered.emplace_back(*number, name);
    std::sort(numbered.begin(), numbered.end());
    std::vector<TChip> chips;
    for (const auto& [number, name] : numbered) {
        TChip chip{kHwmon + name + "/", tree.List(kHwmon + name)};
        const auto isInput = [](const std::string& file) { return file.ends_with("_input"); };
        if (std::none_of(chip.Names.begin(), chip.Names.end(), isInput)) {
            // Drivers of old kernels keep their attributes in the device's folder.
            chip.Folder += "device/";
            chip.Names = tree.List(chip.Folder);
        }
        chips.push_back(std::move(chip));
    }
    return chips;
}

} // namespace

bool THwmonLayout::Empty() const {
    return TemperatureFiles.empty() && FanFiles.empty() &&
           std::all_of(VoltageFiles.begin(), VoltageFiles.end(),
                       [](const std::string& file) { return file.empty(); });
}

std::optional<size_t> VoltagePositionOfLabel(std::string_view label) {
    std::string text;
    for (char c : label)
        if (!IsBlank(c) && c != '_') text += LowerAscii(c);
    if (text.find("core") != std::string::npos) return 0;
    // "+3.3V", "3.3V", "V3.3", "+5V", "-12V": an optional sign and "v", a number, an optional "v".
    std::string_view rest = text;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.starts_with("v")) rest.remove_prefix(1);
    if (rest.ends_with("v")) rest.remove_suffix(1);
    double volts = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), volts);
    if (rest.empty() || ec != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
    if (negative) volts = -volts;
    constexpr std::pair<double, size_t> kRails[] = {{3.3, 2}, {5, 3}, {12, 4}, {-12, 5}, {-5, 6}};
    for (const auto& [rail, position] : kRails)
        if (std::fabs(volts - rail) < 0.05) return position;
    return std::nullopt;
}

THwmonLayout ScanHwmon(const TSystemTree& tree) {
    THwmonLayout layout;
    struct TUnlabelled {
        int Number;
        std::string File;
    };
    std::vector<TUnlabelled> unlabelled;
    for (const TChip& chip : Chips(tree)) {
        for (int n : Inputs(chip.Names, "temp"))
            layout.TemperatureFiles.push_back(chip.Folder + "temp" + std::to_string(n) + "_input");
        for (int n : Inputs(chip.Names, "fan"))
            layout.FanFiles.push_back(chip.Folder + "fan" + std::to_string(n) + "_input");
        for (int n : Inputs(chip.Names, "in")) {
            const std::string stem = chip.Folder + "in" + std::to_string(n);
            const auto label = tree.ReadLine(stem + "_label");
            if (!label) {
                unlabelled.push_back({n, stem + "_input"});
                continue;
            }
            auto position = VoltagePositionOfLabel(*label);
            if (position == 0u && !layout.VoltageFiles[0].empty()) position = 1;
            if (position && layout.VoltageFiles[*position].empty())
                layout.VoltageFiles[*position] = stem + "_input";
        }
    }
    for (const TUnlabelled& input : unlabelled) {
        if (input.Number < 0 || static_cast<size_t>(input.Number) >= kVoltageCount) continue;
        std::string& slot = layout.VoltageFiles[static_cast<size_t>(input.Number)];
        if (slot.empty()) slot = input.File;
    }
    return layout;
}

} // namespace orv
