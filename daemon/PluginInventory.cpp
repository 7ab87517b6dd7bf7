#include "daemon/PluginInventory.h"

#include "base/Cp1251.h"
#include "host/ModuleLibrary.h"
#include "host/Settings.h"

namespace orv {

namespace {

// At most this many keys are taken from a plug-in's table: a table without its end mark must
// not run on.
constexpr int kMaxPluginKeys = 256;

std::string Text(const char* utf8) { return utf8 ? utf8 : ""; }

void ReadTags(const TPluginDescriptor& d, TInventoryPlugin& plugin) {
    for (int k = 1; k <= d.TagCount && k <= kMaxTags; ++k)
        plugin.Tags.push_back(
            {DescriptorTextToUtf8(d.TagNames[k]), DescriptorTextToUtf8(d.TagCaptions[k]),
             DescriptorTextToUtf8(d.TagExamples[k]), DescriptorTextToUtf8(d.TagHints[k])});
}

void ReadKeys(const TModuleLibrary& library, TInventoryPlugin& plugin) {
    const auto keys = reinterpret_cast<TSettingKeysFunc>(library.Symbol(kSettingKeysExport));
    if (!keys) return;
    const TPluginSettingKey* key = keys();
    for (int n = 0; key && key->Section && n < kMaxPluginKeys; ++key, ++n)
        if (key->Key)
            plugin.Keys.push_back(
                {Text(key->Section), Text(key->Key), Text(key->Default), Text(key->Comment)});
}

TInventoryPlugin Look(TModuleKind kind, const std::string& folder, const std::string& fileName,
                      const TIniDocument& settings) {
    TInventoryPlugin plugin;
    plugin.Kind = kind;
    plugin.FileName = fileName;
    plugin.Active = ReadModuleActive(settings, fileName);
    std::string error;
    const auto library = TModuleLibrary::Open(folder + "/" + fileName, &error);
    if (!library) {
        plugin.Problem = error;
        return plugin;
    }
    const TModuleDescriptor descriptor = ReadModuleDescriptor(*library, kind, &error);
    if (const auto* data = std::get_if<TDataModule>(&descriptor)) {
        plugin.Name = DescriptorTextToUtf8(data->Descriptor().Name);
        ReadTags(data->Descriptor(), plugin);
    } else if (const auto* driver = std::get_if<TDisplayDriver>(&descriptor)) {
        plugin.Name = DescriptorTextToUtf8(driver->Descriptor().Name);
    } else if (const auto* saver = std::get_if<TScreenSaverModule>(&descriptor)) {
        plugin.Name = DescriptorTextToUtf8(saver->Descriptor().Name);
    } else {
        // The library's own path is the line's first field already.
        const std::string prefix = library->Path() + ": ";
        plugin.Problem = error.starts_with(prefix) ? error.substr(prefix.size()) : error;
        return plugin;
    }
    ReadKeys(*library, plugin);
    return plugin;
}

} // namespace

const char* KindWord(TModuleKind kind) {
    switch (kind) {
    case TModuleKind::Driver: return "driver";
    case TModuleKind::ScreenSaver: return "screen saver";
    case TModuleKind::Data: break;
    }
    return "data module";
}

std::vector<TInventoryPlugin> InventoryPlugins(const std::string& programFolder,
                                               const std::string& settingsPath) {
    const TIniDocument settings = TIniFile(settingsPath).Read();
    std::vector<TInventoryPlugin> plugins;
    for (TModuleKind kind : kModuleKinds) {
        const std::string folder = programFolder + "/" + ModuleFolder(kind);
        for (const std::string& fileName : ModuleLibraryFiles(folder))
            plugins.push_back(Look(kind, folder, fileName, settings));
    }
    return plugins;
}

} // namespace orv
