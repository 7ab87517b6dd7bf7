#include "host/modulehost/ModuleCatalogue.h"

#include "base/Cp1251.h"
#include "base/Trace.h"

namespace orv {

namespace {

std::string Text(const char* s) { return s ? s : ""; }

// The descriptor of a data module that is on; null for any other entry.
const TPluginDescriptor* Plugin(const TShortPluginInfo& entry) {
    const TDataModule* data = entry.DataModule();
    return data ? &data->Descriptor() : nullptr;
}

} // namespace

std::optional<TTagBinding> TModuleCatalogue::Bind(std::string_view name) const {
    if (name.empty()) return std::nullopt;
    for (const TShortPluginInfo& entry : host_.Modules()) {
        const TPluginDescriptor* plugin = Plugin(entry);
        if (!plugin) continue;
        for (int k = 1; k <= kMaxTags; ++k)
            if (plugin->TagNames[k] && name == plugin->TagNames[k]) {
                TTagBinding binding{plugin->Name, k - 1};
                if (TraceEnabled()) TraceBinding(name, binding);
                return binding;
            }
    }
    // Text that follows a tag comes here too: a name with a blank, or "$" and one character,
    // is no tag.
    if (TraceEnabled() && name.size() > 2 && name.find(' ') == std::string_view::npos)
        TraceBinding(name, std::nullopt);
    return std::nullopt;
}

void TModuleCatalogue::TraceBinding(std::string_view name,
                                    const std::optional<TTagBinding>& binding) const {
    {
        std::lock_guard lock(tracedMutex_);
        if (!traced_.emplace(name).second) return;
    }
    const std::string tag = Cp1251ToUtf8(name);
    if (!binding) {
        Trace("tag " + tag + ": no module that is on has it, so the panel shows its name");
        return;
    }
    for (const TShortPluginInfo& entry : host_.Modules()) {
        const TPluginDescriptor* plugin = Plugin(entry);
        if (plugin && binding->ModuleKey == Text(plugin->Name)) {
            Trace("tag " + tag + ": tag " + std::to_string(binding->TagIndex + 1) + " of " +
                  entry.FileName);
            return;
        }
    }
}

std::optional<std::string> TModuleCatalogue::GetValue(std::string_view moduleKey, int32_t tagIndex,
                                                      const std::string& argument) {
    for (const TShortPluginInfo& entry : host_.Modules()) {
        const TDataModule* data = entry.DataModule();
        if (data && moduleKey == data->Descriptor().Name)
            return data->GetValue(tagIndex, argument.c_str());
    }
    return std::nullopt;
}

int32_t TModuleCatalogue::SteadyForMs(std::string_view moduleKey, int32_t tagIndex,
                                      const std::string& argument) {
    for (const TShortPluginInfo& entry : host_.Modules()) {
        const TDataModule* data = entry.DataModule();
        if (data && moduleKey == data->Descriptor().Name)
            return data->SteadyForMs(tagIndex, argument.c_str());
    }
    return 0;
}

std::vector<TTagGroup> TModuleCatalogue::TagTree() const {
    std::vector<TTagGroup> groups;
    for (const TShortPluginInfo& entry : host_.Modules()) {
        const TPluginDescriptor* plugin = Plugin(entry);
        if (!plugin) continue;
        TTagGroup group{Text(plugin->GroupCaption), plugin->Id, Text(plugin->TagHints[0]), {}};
        for (int k = 1; k <= plugin->TagCount && k <= kMaxTags; ++k)
            group.Tags.push_back({Text(plugin->TagCaptions[k]), Text(plugin->TagHints[k]),
                                  Text(plugin->TagExamples[k]), Text(plugin->TagNames[k])});
        groups.push_back(std::move(group));
    }
    return groups;
}

std::optional<size_t> TModuleCatalogue::FindGroupOwner(std::string_view caption) const {
    const auto& modules = host_.Modules();
    for (size_t i = 0; i < modules.size(); ++i) {
        const TPluginDescriptor* plugin = Plugin(modules[i]);
        if (plugin && plugin->GroupCaption && caption == plugin->GroupCaption) return i;
    }
    return std::nullopt;
}

const TPluginDescriptor* TModuleCatalogue::GroupDescriptor(std::string_view caption) const {
    const auto owner = FindGroupOwner(caption);
    return owner ? Plugin(host_.Module(*owner)) : nullptr;
}

std::string TModuleCatalogue::GroupHint(std::string_view caption) const {
    const TPluginDescriptor* plugin = GroupDescriptor(caption);
    return plugin ? Text(plugin->TagHints[0]) : std::string();
}

} // namespace orv
