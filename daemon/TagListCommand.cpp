#include "daemon/TagListCommand.h"

#include "daemon/OfflineModules.h"
#include "base/Cp1251.h"

namespace orv {

namespace {

// A descriptor text as one field of a tab-separated line.
std::string Field(const char* text) {
    std::string field = Cp1251ToUtf8(text ? text : "");
    for (char& c : field)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return field;
}

} // namespace

int ListTags(const std::string& settingsPath, std::FILE* out) {
    const TOfflineModules modules(settingsPath);
    for (const TShortPluginInfo& entry : modules.Host().Modules()) {
        const TDataModule* data = entry.DataModule();
        if (!data) continue;
        const TPluginDescriptor& d = data->Descriptor();
        for (int k = 1; k <= d.TagCount && k <= kMaxTags; ++k) {
            const std::string line = Field(entry.FileName.c_str()) + "\t" + Field(d.TagNames[k]) +
                                     "\t" + Field(d.TagCaptions[k]) + "\t" +
                                     Field(d.TagExamples[k]) + "\t" + Field(d.TagHints[k]) + "\n";
            std::fwrite(line.data(), 1, line.size(), out);
        }
    }
    return std::fflush(out) == 0 ? 0 : 1;
}

} // namespace orv
