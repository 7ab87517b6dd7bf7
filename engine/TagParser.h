// Cutting a line template into element texts and an element's parameter part into items.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A piece of a line template as written: a tag from its '$' to the closing one (or to the end of
// the template when there is none), or a run of plain text.
struct TTemplatePiece {
    std::string_view Text;
    bool IsTag = false;
};
std::vector<TTemplatePiece> TemplatePieces(std::string_view lineTemplate);

// The pieces of a line template, each rewritten so that the line number is its first
// parameter: "$name[args]$" -> "$name[L,args]$", "$name$" -> "$name[L]$", plain text t ->
// "$t[L]$". An empty template gives no pieces.
std::vector<std::string> SplitLineTemplate(std::string_view lineTemplate, int32_t lineNo);

// Items of a parameter part, separated by commas. Characters at or below blank end an item too
// and blanks between items are skipped; an item that starts with a double quote runs to the
// closing one (two double quotes inside stand for one). Empty items are kept.
std::vector<std::string> SplitParameters(std::string_view params);

// An element text taken apart: the part before the parameters, and the parameter part.
struct TElementText {
    std::string_view Head;   // "$name" (or the whole text when it has no parameter part)
    std::string_view Params; // between "[" and its "]"
    bool HasParams = false;
};
TElementText SplitElementText(std::string_view text);

} // namespace orv
