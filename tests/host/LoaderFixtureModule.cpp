// A data module for the loader tests. One FIXTURE_* definition says what is wrong with it.
// Only current_version is built with the interface version export of our plug-ins.
#include "abi/ConstUnit.h"

namespace {

const char* GetValue(int32_t, const char*) { return "value"; }

TPluginDescriptor MakeDescriptor() {
    TPluginDescriptor d{};
    d.Name = "Fixture";
    d.Description = "fixture";
    d.Id = 1;
    d.TagCount = 2;
    d.GroupCaption = "Fixture";
    for (int k = 0; k <= kMaxTags; ++k)
        d.TagCaptions[k] = d.TagNames[k] = d.TagExamples[k] = d.TagHints[k] = "";
    d.TagNames[1] = "$first";
    d.TagNames[2] = "$second";
    d.GetValue = GetValue;
#if defined(FIXTURE_NULL_NAME)
    d.Name = nullptr;
#elif defined(FIXTURE_NULL_TAG_TEXT)
    d.TagHints[16] = nullptr;
#elif defined(FIXTURE_TAG_COUNT_17)
    d.TagCount = 17;
#elif defined(FIXTURE_NULL_GET_VALUE)
    d.GetValue = nullptr;
#endif
    return d;
}

TPluginDescriptor gDescriptor = MakeDescriptor();

} // namespace

#if defined(FIXTURE_OTHER_VERSION)
ORVANTA3_EXPORT const uint32_t ORVANTA3_INTERFACE_VERSION_SYMBOL = kInterfaceVersion + 1;
#endif

#if defined(FIXTURE_NO_EXPORT)
ORVANTA3_EXPORT void* getPlugins() { return &gDescriptor; }
#elif defined(FIXTURE_NULL_DESCRIPTOR)
ORVANTA3_EXPORT void* getPlugin() { return nullptr; }
#else
ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }
#endif
