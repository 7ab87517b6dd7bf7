#include "host/modulehost/TagChoices.h"

#include "abi/CommandWords.h"
#include "base/TextUtil.h"

#include <initializer_list>

namespace orv {

namespace {

constexpr int kMaxItems = 64; // a bound on what a broken answer can ask for

// For each item n of the enumeration tag enumTag, the answers of itemTags with the argument n;
// all the tags must belong to one module, else there are no items.
std::vector<std::vector<std::string>>
EnumeratedItems(TModuleCatalogue& catalogue, std::string_view enumTag,
                std::initializer_list<std::string_view> itemTags) {
    const auto count = catalogue.Bind(enumTag);
    if (!count) return {};
    std::vector<TTagBinding> items;
    for (std::string_view name : itemTags) {
        const auto item = catalogue.Bind(name);
        if (!item || item->ModuleKey != count->ModuleKey) return {};
        items.push_back(*item);
    }
    const std::string answer = catalogue.Evaluate(count->ModuleKey, count->TagIndex, "0");
    if (!answer.starts_with(kEnumMark)) return {};
    const int n = ParseInt32(std::string_view(answer).substr(kEnumMark.size())).value_or(0);

    std::vector<std::vector<std::string>> answers;
    for (int i = 0; i < n && i < kMaxItems; ++i) {
        std::vector<std::string>& row = answers.emplace_back();
        for (const TTagBinding& item : items)
            row.push_back(catalogue.Evaluate(item.ModuleKey, item.TagIndex, std::to_string(i)));
    }
    return answers;
}

std::vector<TDriveChoice> ReadDrives(TModuleCatalogue& catalogue) {
    std::vector<TDriveChoice> choices;
    for (const auto& drive :
         EnumeratedItems(catalogue, "$driveEnum", {"$driveLetter", "$driveLabel"}))
        choices.push_back({drive[0] + " [" + drive[1] + "]", static_cast<int>(choices.size())});
    return choices;
}

std::vector<TSourceChoice> ReadSources(TModuleCatalogue& catalogue) {
    if (!catalogue.Bind("$userValue")) return {};
    std::vector<TSourceChoice> choices;
    for (const auto& source : EnumeratedItems(catalogue, "$userValueEnum", {"$userValueName"}))
        if (!source[0].empty()) choices.push_back({source[0]});
    return choices;
}

} // namespace

TTagChoices ReadTagChoices(TModuleCatalogue& catalogue) {
    TTagChoices choices;
    for (const TTagGroup& group : catalogue.TagTree())
        for (const TTagNode& tag : group.Tags)
            if (!tag.Name.empty()) choices.TagNames.push_back(tag.Name);
    choices.Drives = ReadDrives(catalogue);
    choices.Sources = ReadSources(catalogue);
    return choices;
}

} // namespace orv
