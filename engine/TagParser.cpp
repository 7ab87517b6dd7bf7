#include "engine/TagParser.h"

namespace orv {

namespace {

bool AtOrBelowBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Rewrite(std::string_view piece, const std::string& lineNo) {
    std::string out;
    out.reserve(piece.size() + lineNo.size() + 4);
    if (piece.front() != '$') {
        out.append("$").append(piece).append("[").append(lineNo).append("]$");
        return out;
    }
    std::string_view body = piece.substr(1);
    if (!body.empty() && body.back() == '$') body.remove_suffix(1);
    const size_t bracket = body.find('[');
    out += '$';
    if (bracket == std::string_view::npos) {
        out.append(body).append("[").append(lineNo).append("]");
    } else {
        out.append(body.substr(0, bracket + 1)).append(lineNo).append(",");
        out.append(body.substr(bracket + 1));
    }
    out += '$';
    return out;
}

} // namespace

std::vector<TTemplatePiece> TemplatePieces(std::string_view lineTemplate) {
    std::vector<TTemplatePiece> pieces;
    size_t pos = 0;
    while (pos < lineTemplate.size()) {
        const bool isTag = lineTemplate[pos] == '$';
        size_t end;
        if (isTag) {
            const size_t close = lineTemplate.find('$', pos + 1);
            end = close == std::string_view::npos ? lineTemplate.size() : close + 1;
        } else {
            end = lineTemplate.find('$', pos);
            if (end == std::string_view::npos) end = lineTemplate.size();
        }
        pieces.push_back({lineTemplate.substr(pos, end - pos), isTag});
        pos = end;
    }
    return pieces;
}

std::vector<std::string> SplitLineTemplate(std::string_view lineTemplate, int32_t lineNo) {
    const std::string number = std::to_string(lineNo);
    std::vector<std::string> pieces;
    for (const TTemplatePiece& piece : TemplatePieces(lineTemplate))
        pieces.push_back(Rewrite(piece.Text, number));
    return pieces;
}

std::vector<std::string> SplitParameters(std::string_view params) {
    std::vector<std::string> items;
    size_t p = 0;
    const size_t n = params.size();
    auto skipBlanks = [&] {
        while (p < n && AtOrBelowBlank(params[p])) ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string item;
        if (params[p] == '"') {
            ++p;
            while (p < n) {
                if (params[p] == '"') {
                    if (p + 1 < n && params[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += params[p++];
            }
        } else {
            const size_t start = p;
            while (p < n && !AtOrBelowBlank(params[p]) && params[p] != ',') ++p;
            item.assign(params.substr(start, p - start));
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (p < n && params[p] == ',') {
            if (p + 1 == n) items.emplace_back();
            do {
                ++p;
            } while (p < n && AtOrBelowBlank(params[p]));
        }
    }
    return items;
}

TElementText SplitElementText(std::string_view text) {
    TElementText parts;
    const size_t open = text.find('[');
    if (text.empty() || text.front() != '$' || open == std::string_view::npos || open == 1) {
        parts.Head = text.empty() ? text : text.substr(0, text.size() - 1);
        return parts;
    }
    parts.HasParams = true;
    parts.Head = text.substr(0, open);
    size_t close = text.find(']', open);
    if (close == std::string_view::npos) {
        close = text.size();
        if (text.back() == '$') --close;
    }
    parts.Params = text.substr(open + 1, close - open - 1);
    return parts;
}

} // namespace orv
