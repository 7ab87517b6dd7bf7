// The tag catalogue over the module table: binding a tag name to a data module, evaluating a
// bound tag, and the data of the tag tree.
#pragma once

#include "host/TagCatalogue.h"
#include "host/modulehost/ModuleHost.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// One tag node of the tree.
struct TTagNode {
    std::string Caption;
    std::string Hint;
    std::string Example;
    std::string Name; // "$time", as lines write it
};

// One top-level node: a data module that is on.
struct TTagGroup {
    std::string Caption; // GroupCaption
    int IconIndex = 0;   // Id
    std::string Hint;    // TagHints[0]
    std::vector<TTagNode> Tags;
};

class TModuleCatalogue : public TTagCatalogue {
public:
    explicit TModuleCatalogue(const TModuleHost& host) : host_(host) {}

    // The first data module that is on, in table order, with name among TagNames[1..16]
    // (exact, case-sensitive); nullopt when none has it.
    std::optional<TTagBinding> Bind(std::string_view name) const override;

    // GetValue of the first data module that is on whose Name is moduleKey, copied at once; a
    // null answer or an exception reads as empty. nullopt, and no call, when no such module is on.
    std::optional<std::string> GetValue(std::string_view moduleKey, int32_t tagIndex,
                                        const std::string& argument) override;
    // The same with "no such module" read as an empty value.
    std::string Evaluate(std::string_view moduleKey, int32_t tagIndex,
                         const std::string& argument) {
        return GetValue(moduleKey, tagIndex, argument).value_or(std::string());
    }
    // The steadyFor answer of that module; 0 when it has none or no such module is on.
    int32_t SteadyForMs(std::string_view moduleKey, int32_t tagIndex,
                        const std::string& argument) override;

    // The job editor shows the tree and its texts.
    // The tree: one group per data module that is on, in table order, with its TagCount tags.
    std::vector<TTagGroup> TagTree() const;

    // The table index of the first data module that is on whose GroupCaption is caption.
    std::optional<size_t> FindGroupOwner(std::string_view caption) const;
    // The hint of a clicked group node: that of the group with this caption; empty when there is
    // no owner.
    std::string GroupHint(std::string_view caption) const;

private:
    const TPluginDescriptor* GroupDescriptor(std::string_view caption) const;
    // With the trace on: the binding of a tag name, once per name.
    void TraceBinding(std::string_view name, const std::optional<TTagBinding>& binding) const;

    const TModuleHost& host_;
    mutable std::mutex tracedMutex_;
    mutable std::set<std::string, std::less<>> traced_;
};

} // namespace orv
