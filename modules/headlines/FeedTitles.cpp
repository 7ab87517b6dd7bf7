#include "modules/headlines/HeadlineLists.h"

#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace orv {

namespace {

constexpr int kMaxDepth = 8;
constexpr size_t kMaxTitles = 255;

void InitParserOnce() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

struct TDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using TDoc = std::unique_ptr<xmlDoc, TDocFree>;

TDoc ParseXml(std::string_view body) {
    InitParserOnce();
    if (body.size() > INT_MAX) return nullptr;
    // No network, no external entities, no error output; sloppy feeds are read as far as they go.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                        XML_PARSE_RECOVER | XML_PARSE_NOCDATA;
    return TDoc(
        xmlReadMemory(body.data(), static_cast<int>(body.size()), nullptr, nullptr, options));
}

bool NameIs(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->name &&
           EqualsNoCase(reinterpret_cast<const char*>(node->name), name);
}

enum class TFeedKind { None, Rss, Atom };

TFeedKind KindOf(const xmlNode* root) {
    if (!root) return TFeedKind::None;
    if (NameIs(root, "rss") || NameIs(root, "RDF")) return TFeedKind::Rss;
    if (NameIs(root, "feed")) return TFeedKind::Atom;
    return TFeedKind::None;
}

// HTML character references, which feeds often leave in their titles ("&amp;quot;").
std::string DecodeEntities(std::string_view text) {
    static constexpr std::pair<const char*, uint32_t> kNamed[] = {
        {"amp", '&'},      {"lt", '<'},       {"gt", '>'},        {"quot", '"'},
        {"apos", '\''},    {"nbsp", ' '},     {"laquo", 0x00AB},  {"raquo", 0x00BB},
        {"ndash", 0x2013}, {"mdash", 0x2014}, {"hellip", 0x2026}, {"copy", 0x00A9}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t semicolon = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        if (semicolon == std::string_view::npos || semicolon - i > 10) {
            out += text[i];
            continue;
        }
        const std::string_view name = text.substr(i + 1, semicolon - i - 1);
        uint32_t cp = 0;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            char* end = nullptr;
            const unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (!digits.empty() && end && *end == '\0' && value > 0 && value <= 0x10FFFF)
                cp = static_cast<uint32_t>(value);
        } else {
            for (const auto& [entity, value] : kNamed)
                if (name == entity) cp = value;
        }
        if (cp == 0) {
            out += text[i];
            continue;
        }
        AppendUtf8(out, cp);
        i = semicolon;
    }
    return out;
}

// Blanks folded to one space; tags removed when the text is HTML (Atom's type="html").
std::string Clean(std::string_view text, bool html) {
    std::string out;
    bool inTag = false, blank = false;
    for (char c : text) {
        if (html && c == '<') {
            inTag = true;
            continue;
        }
        if (inTag) {
            inTag = c != '>';
            continue;
        }
        if (IsBlank(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

// The text below node, at most kMaxTitleBytes of it. Entity references add nothing: a feed
// that declares entities is refused before.
void AppendText(const xmlNode* node, std::string& text, int depth) {
    for (const xmlNode* child = node->children; child && text.size() < kMaxTitleBytes;
         child = child->next) {
        if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
            child->content)
            text.append(reinterpret_cast<const char*>(child->content),
                        std::min(static_cast<size_t>(xmlStrlen(child->content)),
                                 kMaxTitleBytes - text.size()));
        else if (child->type == XML_ELEMENT_NODE && depth < kMaxDepth)
            AppendText(child, text, depth + 1);
    }
}

std::string TitleOf(const xmlNode* item) {
    for (const xmlNode* child = item->children; child; child = child->next) {
        if (!NameIs(child, "title")) continue;
        std::string content;
        AppendText(child, content, 0);
        xmlChar* type = xmlGetProp(child, reinterpret_cast<const xmlChar*>("type"));
        const bool html = type && EqualsNoCase(reinterpret_cast<const char*>(type), "html");
        std::string text = DecodeEntities(Clean(content, html));
        xmlFree(type);
        return Utf8ToCp1251(text);
    }
    return {};
}

// Items (RSS 2.0 inside "channel", RSS 1.0 beside it) or entries, depth first.
void CollectTitles(const xmlNode* node, const char* itemName, std::vector<std::string>& titles,
                   int depth) {
    if (depth > kMaxDepth) return;
    for (const xmlNode* child = node->children; child && titles.size() < kMaxTitles;
         child = child->next) {
        if (NameIs(child, itemName))
            titles.push_back(TitleOf(child));
        else if (child->type == XML_ELEMENT_NODE)
            CollectTitles(child, itemName, titles, depth + 1);
    }
}

} // namespace

std::optional<std::vector<std::string>> FeedTitles(std::string_view body, std::string* refusal) {
    const TDoc doc = ParseXml(body);
    if (!doc) return std::nullopt;
    // Feeds have no use for entities of their own; expanding them is how a small document
    // becomes a huge one.
    const xmlDtd* dtd = xmlGetIntSubset(doc.get());
    if ((dtd && dtd->entities) || doc->extSubset) {
        if (refusal) *refusal = "the feed declares entities of its own";
        return std::nullopt;
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    const TFeedKind kind = KindOf(root);
    if (kind == TFeedKind::None) return std::nullopt;
    std::vector<std::string> titles;
    CollectTitles(root, kind == TFeedKind::Atom ? "entry" : "item", titles, 0);
    return titles;
}

} // namespace orv
