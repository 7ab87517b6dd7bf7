// Builds a data module's static descriptor from a table of its tags, so that a module lists
// only what it has: every text entry the table leaves out points to "" and is never null. The
// callbacks forward to the module's state object (ModuleCallbacks.h).
//
//   constinit TPluginDescriptor gDescriptor = orv::MakePluginDescriptor(
//       {.Name = "...", .Description = "...", .Id = 1, .GroupCaption = "...", .GroupHint = "...",
//        .GetValue = ModuleGetValue<gChronos>, .LoadSettings = ModuleLoadSettings<gChronos>},
//       {{.Name = "$time", .Caption = "...", .Example = "$time[5,,,3]$", .Hint = "..."}, ...});
#pragma once

#include "abi/ConstUnit.h"

#include <initializer_list>

namespace orv {

struct TPluginInfo {
    const char* Name = "";
    const char* Description = "";
    uint8_t Id = 0;
    const char* GroupCaption = "";
    const char* GroupHint = "";
    TGetValueFunc GetValue = nullptr;
    TLoadSettingsFunc LoadSettings = nullptr;
    TConfigureFunc Configure = nullptr;
    TFinalizeFunc Finalize = nullptr;
};

struct TTagInfo {
    const char* Name = "";
    const char* Caption = "";
    const char* Example = "";
    const char* Hint = "";
};

// Meant for a constinit descriptor: more than sixteen tags stop the build.
constexpr TPluginDescriptor MakePluginDescriptor(const TPluginInfo& info,
                                                 std::initializer_list<TTagInfo> tags) {
    if (tags.size() > static_cast<size_t>(kMaxTags)) throw "a data module has at most 16 tags";
    TPluginDescriptor d{};
    d.Name = info.Name;
    d.Description = info.Description;
    d.Id = info.Id;
    d.GroupCaption = info.GroupCaption;
    for (int k = 0; k <= kMaxTags; ++k)
        d.TagCaptions[k] = d.TagNames[k] = d.TagExamples[k] = d.TagHints[k] = "";
    d.TagHints[0] = info.GroupHint;
    int k = 0;
    for (const TTagInfo& tag : tags) {
        ++k;
        d.TagNames[k] = tag.Name;
        d.TagCaptions[k] = tag.Caption;
        d.TagExamples[k] = tag.Example;
        d.TagHints[k] = tag.Hint;
    }
    d.TagCount = static_cast<uint8_t>(k);
    d.GetValue = info.GetValue;
    d.LoadSettings = info.LoadSettings;
    d.Configure = info.Configure;
    d.Finalize = info.Finalize;
    return d;
}

} // namespace orv
