#include "host/modulehost/TagChoices.h"

#include "base/TextUtil.h"

namespace orv {

namespace {

constexpr int kMaxDrives = 64; // a bound on what a broken answer can ask for

std::vector<TDriveChoice> ReadDrives(TModuleCatalogue& catalogue) {
    const auto count = catalogue.Bind("$driveEnum");
    const auto letter = catalogue.Bind("$driveLetter");
    const auto label = catalogue.Bind("$driveLabel");
    if (!count || !letter || !label || letter->ModuleKey != count->ModuleKey ||
        label->ModuleKey != count->ModuleKey)
        return {};

    const std::string answer = catalogue.Evaluate(count->ModuleKey, count->TagIndex, "0");
    constexpr std::string_view kEnum = "#enum";
    if (answer.rfind(kEnum, 0) != 0) return {};
    const int drives = ParseInt32(std::string_view(answer).substr(kEnum.size())).value_or(0);

    std::vector<TDriveChoice> choices;
    for (int n = 0; n < drives && n < kMaxDrives; ++n) {
        const std::string number = std::to_string(n);
        TDriveChoice choice;
        choice.Caption = catalogue.Evaluate(letter->ModuleKey, letter->TagIndex, number) + " [" +
                         catalogue.Evaluate(label->ModuleKey, label->TagIndex, number) + "]";
        choice.Number = n;
        choices.push_back(std::move(choice));
    }
    return choices;
}

} // namespace

TTagChoices ReadTagChoices(TModuleCatalogue& catalogue) {
    TTagChoices choices;
    for (const TTagGroup& group : catalogue.TagTree())
        for (const TTagNode& tag : group.Tags)
            if (!tag.Name.empty()) choices.TagNames.push_back(tag.Name);
    choices.Drives = ReadDrives(catalogue);
    return choices;
}

} // namespace orv
