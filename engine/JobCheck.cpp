#include "engine/JobCheck.h"

#include "engine/DisplaySize.h"
#include "engine/LCDTag.h"
#include "engine/TagFormats.h"
#include "engine/TagParser.h"
#include "base/Cp1251.h"
#include "host/TagCatalogue.h"
#include "base/TextUtil.h"

#include <algorithm>

namespace orv {

namespace {

// The parameter items of a tag: argument, column, width, refresh, format.
enum TItem : size_t { kArgument, kColumn, kWidth, kRefresh, kFormat, kItemCount };

// Why item i of a tag's parameters cannot be used as written; empty when it can.
std::string ItemProblem(size_t i, const std::string& item) {
    if (item.empty() || i == kArgument) return {};
    const auto number = ParseInt32(item);
    switch (i) {
    case kColumn:
        if (item == "r" || (number && *number >= 1 && *number <= kMaxLeftColumn)) return {};
        return "the column \"" + item + "\" is not 1.." + std::to_string(kMaxLeftColumn) + " or r" +
               (number ? "; the tag is not shown" : "; the tag follows the text");
    case kWidth:
        if (number && *number >= 0) return {};
        return "the width \"" + item + "\" is not a number of characters";
    case kRefresh:
        if (number && *number >= 0 && *number <= 4) return {};
        return "the refresh \"" + item + "\" is not 0..4; the value is " +
               (number ? "never read again" : "read once");
    case kFormat:
        if (TagFormatOfWord(item) != tfText) return {};
        return "the format \"" + item +
               "\" is not flash, bar, simple_bar, digit_bar, anim or anim_char; the value shows "
               "as text";
    default: return "the parameter \"" + item + "\" after the format is ignored";
    }
}

// What is wrong with one tag as written ("$name[...]$"), in the words of its line.
std::vector<std::string> TagProblems(std::string_view tag, const TTagCatalogue& catalogue) {
    std::vector<std::string> problems;
    const bool closed = tag.size() >= 2 && tag.back() == '$';
    const std::string_view body = tag.substr(0, closed ? tag.size() - 1 : tag.size());
    const std::string element = std::string(body) + "$";
    const TElementText parts = SplitElementText(element);
    const std::string name(parts.Head);
    if (!closed)
        problems.push_back("the tag " + name +
                           " has no closing $; the rest of the line is "
                           "taken as its name and parameters");
    if (name.size() > 1 && !catalogue.Bind(name))
        problems.push_back("unknown tag " + name +
                           " (no module that is switched on has it); its name is shown");
    if (parts.HasParams && body.find(']') == std::string_view::npos)
        problems.push_back("the tag " + name + " has no closing ]");
    const auto items = SplitParameters(parts.Params);
    for (size_t i = 0; i < items.size(); ++i)
        if (std::string problem = ItemProblem(std::min<size_t>(i, kItemCount), items[i]);
            !problem.empty())
            problems.push_back(name + ": " + problem);
    return problems;
}

void CheckNumber(const TIniDocument& job, const std::string& screen, const std::string& key,
                 std::vector<TCheckFinding>& findings) {
    const auto text = job.Find(screen, key);
    if (!text || ParseInt32(*text)) return;
    findings.push_back({job.KeyLine(screen, key), "[" + Cp1251ToUtf8(screen) + "] " + key + "=" +
                                                      Cp1251ToUtf8(*text) +
                                                      " is not a number; 0 is used"});
}

} // namespace

std::vector<TCheckFinding> CheckJob(const TIniDocument& job, const TTagCatalogue& catalogue) {
    std::vector<TCheckFinding> findings;
    for (const std::string& screen : job.Sections()) {
        for (const char* key : {"Timeout", "Show", "Once", "TransitionEffect"})
            CheckNumber(job, screen, key, findings);
        for (int n = 1; n <= kMaxRows; ++n) {
            const std::string lineKey = "Line" + std::to_string(n);
            CheckNumber(job, screen, "Align" + std::to_string(n), findings);
            CheckNumber(job, screen, "Scroll" + std::to_string(n), findings);
            const std::string text = job.ReadString(screen, lineKey, "");
            for (const TTemplatePiece& piece : TemplatePieces(text)) {
                if (!piece.IsTag) continue;
                for (const std::string& problem : TagProblems(piece.Text, catalogue))
                    findings.push_back({job.KeyLine(screen, lineKey), "[" + Cp1251ToUtf8(screen) +
                                                                          "] " + lineKey + ": " +
                                                                          Cp1251ToUtf8(problem)});
            }
        }
    }
    std::stable_sort(
        findings.begin(), findings.end(),
        [](const TCheckFinding& a, const TCheckFinding& b) { return a.Line < b.Line; });
    return findings;
}

} // namespace orv
