#include "daemon/TagListCommand.h"

#include "daemon/OfflineModules.h"
#include "base/Cp1251.h"
#include "base/UserFolders.h"
#include "daemon/PluginInventory.h"
#include <initializer_list>

namespace orv {

namespace {

// UTF-8 text as one field of a tab-separated line.
std::string Field(std::string field) {
    for (char& c : field)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return field;
}

void WriteLine(std::FILE* out, std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + Field(field);
    line += "\n";
    std::fwrite(line.data(), 1, line.size(), out);
}

int Finish(std::FILE* out) { return std::fflush(out) == 0 ? 0 : 1; }

} // namespace

int ListTags(const std::string& settingsPath, std::FILE* out) {
    const TOfflineModules modules(settingsPath);
    bool anyOn = false;
    for (const TShortPluginInfo& entry : modules.Host().Modules()) {
        const TDataModule* data = entry.DataModule();
        if (!data) continue;
        anyOn = true;
        const TPluginDescriptor& d = data->Descriptor();
        for (int k = 1; k <= d.TagCount && k <= kMaxTags; ++k)
            WriteLine(out, {entry.FileName, DescriptorTextToUtf8(d.TagNames[k]),
                            DescriptorTextToUtf8(d.TagCaptions[k]),
                            DescriptorTextToUtf8(d.TagExamples[k]),
                            DescriptorTextToUtf8(d.TagHints[k])});
    }
    if (anyOn) return Finish(out);
    // Nothing on yet: what could be switched on, and where.
    for (const TInventoryPlugin& plugin : InventoryPlugins(ProgramFolder(), settingsPath)) {
        if (plugin.Kind != TModuleKind::Data || !plugin.Problem.empty()) continue;
        for (const TInventoryTag& tag : plugin.Tags)
            WriteLine(out, {plugin.FileName, tag.Name, tag.Caption, tag.Example, tag.Hint,
                            "off: Active=1 in [" + plugin.FileName + "] switches it on"});
    }
    return Finish(out);
}

int ListModules(const std::string& settingsPath, std::FILE* out) {
    for (const TInventoryPlugin& plugin : InventoryPlugins(ProgramFolder(), settingsPath))
        WriteLine(out, {KindWord(plugin.Kind), plugin.FileName,
                        plugin.Problem.empty() ? (plugin.Active ? "on" : "off") : "not loaded",
                        "[" + plugin.FileName + "]",
                        plugin.Problem.empty() ? plugin.Name : plugin.Problem});
    return Finish(out);
}

} // namespace orv
