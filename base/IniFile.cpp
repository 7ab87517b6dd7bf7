#include "base/IniFile.h"

#include "base/AtomicFile.h"
#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <charconv>
#include <utility>

namespace orv {

namespace {

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// "key=value" with blanks around the key; nullopt for comments and lines without '='.
std::optional<KeyLine> SplitKeyLine(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return std::nullopt;
    const size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(trimmed.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return KeyLine{key, trimmed.substr(eq + 1)};
}

// "[name]" -> name; nullopt when the line is no section header.
std::optional<std::string_view> SectionHeader(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
    const size_t close = trimmed.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// One line of the file holds one value: line breaks in names and values become blanks, so a
// value can never start a new key or section.
std::string SingleLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string CleanValue(std::string_view raw) {
    std::string_view v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

// The value as one line that reads back unchanged: a value with blanks at either end, or in a
// pair of quotes of its own, goes inside double quotes, which reading removes.
std::string StoredValue(std::string_view value) {
    std::string line = SingleLine(value);
    return CleanValue(line) == line ? line : "\"" + line + "\"";
}

} // namespace

TIniDocument TIniDocument::Parse(std::string_view text) {
    TIniDocument doc;
    Section* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = end + 1;
        if (auto name = SectionHeader(line)) {
            doc.sections_.push_back({std::string(*name), {}});
            current = &doc.sections_.back();
        } else if (current) {
            current->lines.emplace_back(line);
        } else {
            doc.preamble_.emplace_back(line);
        }
    }
    return doc;
}

std::string TIniDocument::Serialize() const {
    std::string out;
    for (const auto& line : preamble_) out.append(line).append("\n");
    for (const auto& section : sections_) {
        out.append("[").append(section.name).append("]\n");
        for (const auto& line : section.lines) out.append(line).append("\n");
    }
    return out;
}

const TIniDocument::Section* TIniDocument::FindSection(std::string_view name) const {
    for (const auto& section : sections_)
        if (EqualsNoCase(section.name, name)) return &section;
    return nullptr;
}

TIniDocument::Section* TIniDocument::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

std::optional<std::string> TIniDocument::Find(std::string_view section,
                                              std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    for (const auto& line : s->lines) {
        auto kl = SplitKeyLine(line);
        if (kl && EqualsNoCase(kl->key, key)) return CleanValue(kl->value);
    }
    return std::nullopt;
}

std::string TIniDocument::ReadString(std::string_view section, std::string_view key,
                                     std::string_view def) const {
    auto value = Find(section, key);
    return value ? *value : std::string(def);
}

int32_t TIniDocument::ReadInteger(std::string_view section, std::string_view key,
                                  int32_t def) const {
    auto value = Find(section, key);
    if (!value) return def;
    return ParseInt32(*value).value_or(def);
}

bool TIniDocument::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniDocument::Sections() const {
    std::vector<std::string> names;
    for (const auto& section : sections_)
        if (FindSection(section.name) == &section) names.push_back(section.name);
    return names;
}

std::vector<std::string> TIniDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const Section* s = FindSection(section);
    if (!s) return keys;
    for (const auto& line : s->lines) {
        auto kl = SplitKeyLine(line);
        if (!kl) continue;
        bool seen = false;
        for (const auto& k : keys) seen = seen || EqualsNoCase(k, kl->key);
        if (!seen) keys.emplace_back(kl->key);
    }
    return keys;
}

int TIniDocument::SectionLine(std::string_view section) const {
    int line = static_cast<int>(preamble_.size()) + 1;
    for (const auto& s : sections_) {
        if (EqualsNoCase(s.name, section)) return line;
        line += 1 + static_cast<int>(s.lines.size());
    }
    return 0;
}

int TIniDocument::KeyLine(std::string_view section, std::string_view key) const {
    const int header = SectionLine(section);
    if (header == 0) return 0;
    const Section& s = *FindSection(section);
    for (size_t i = 0; i < s.lines.size(); ++i) {
        auto kl = SplitKeyLine(s.lines[i]);
        if (kl && EqualsNoCase(kl->key, key)) return header + 1 + static_cast<int>(i);
    }
    return 0;
}

bool TIniDocument::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

void TIniDocument::WriteString(std::string_view rawSection, std::string_view rawKey,
                               std::string_view value) {
    const std::string section = SingleLine(rawSection);
    const std::string key = SingleLine(rawKey);
    std::string line = key + "=" + StoredValue(value);
    Section* s = FindSection(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    for (auto& existing : s->lines) {
        auto kl = SplitKeyLine(existing);
        if (kl && EqualsNoCase(kl->key, key)) {
            existing = std::move(line);
            return;
        }
    }
    // New keys go after the section's last key line, before trailing blank lines.
    auto insertAt = s->lines.end();
    while (insertAt != s->lines.begin() && Trim(*(insertAt - 1)).empty()) --insertAt;
    s->lines.insert(insertAt, std::move(line));
}

void TIniDocument::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniDocument::DeleteKey(std::string_view section, std::string_view key) {
    Section* s = FindSection(section);
    if (!s) return;
    std::erase_if(s->lines, [&](const std::string& line) {
        auto kl = SplitKeyLine(line);
        return kl && EqualsNoCase(kl->key, key);
    });
}

void TIniDocument::EraseSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return EqualsNoCase(s.name, section); });
}

TIniDocument TIniFile::Read() const {
    return TIniDocument::Parse(FileTextToCp1251(ReadWholeFile(path_).value_or(std::string())));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    return Read().ReadString(section, key, def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    return Read().ReadInteger(section, key, def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return Read().ReadBool(section, key, def);
}

std::vector<std::string> TIniFile::Sections() const { return Read().Sections(); }

std::vector<std::string> TIniFile::Keys(std::string_view section) const {
    return Read().Keys(section);
}

bool TIniFile::Update(const std::function<void(TIniDocument&)>& change) {
    return UpdateFileLocked(path_, [&](const std::string& old) {
        TIniDocument doc = TIniDocument::Parse(FileTextToCp1251(old));
        change(doc);
        return Cp1251ToFileText(doc.Serialize());
    });
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    return Update([&](TIniDocument& doc) { doc.WriteString(section, key, value); });
}

bool TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    return Update([&](TIniDocument& doc) { doc.WriteInteger(section, key, value); });
}

bool TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return Update([&](TIniDocument& doc) { doc.WriteBool(section, key, value); });
}

bool TIniFile::EraseSection(std::string_view section) {
    return Update([&](TIniDocument& doc) { doc.EraseSection(section); });
}

} // namespace orv
