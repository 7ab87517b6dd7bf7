// The tag catalogue over the module table: binding a tag name to a data module, evaluating a
// bound tag, and the data of the tag tree.
#pragma once

#include "ModuleHost.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A bound tag: the module's Name and the 0-based tag index; {"", -1} when nothing matched.
struct TTagBinding {
    std::string ModuleKey;
    int32_t TagIndex = -1;
};

// One tag node of the tree.
struct TTagNode {
    std::string Caption;
    std::string Hint;
    std::string Example;
};

// One top-level node: a data module that is on.
struct TTagGroup {
    std::string Caption; // GroupCaption
    int IconIndex = 0;   // Id
    std::string Hint;    // TagHints[0]
    std::vector<TTagNode> Tags;
};

class TTagCatalogue {
public:
    explicit TTagCatalogue(const TModuleHost& host) : host_(host) {}

    // The first data module that is on, in table order, with name among TagNames[1..16]
    // (exact, case-sensitive).
    TTagBinding Bind(std::string_view name) const;

    // GetValue of the first data module that is on whose Name is moduleKey, copied at once; a
    // null answer reads as empty. Empty, and no call, when no such module is on.
    std::string Evaluate(const std::string& moduleKey, int32_t tagIndex,
                         const std::string& argument) const;

    // The tree: one group per data module that is on, in table order, with its TagCount tags.
    std::vector<TTagGroup> TagTree() const;

    // The table index of the first data module that is on whose GroupCaption is caption.
    std::optional<size_t> FindGroupOwner(std::string_view caption) const;
    // Texts for a clicked node: the group hint, and the hint and example of the tag at position
    // (0-based) under the group with this caption; empty when there is no owner.
    std::string GroupHint(std::string_view caption) const;
    std::string TagHint(std::string_view caption, int position) const;
    std::string TagExample(std::string_view caption, int position) const;

private:
    const TPluginDescriptor* GroupDescriptor(std::string_view caption) const;
    const TModuleHost& host_;
};

} // namespace orv
