// INI access with the rules of the settings, job and language files: section order kept,
// section and key names matched without regard to ASCII case, blanks around a value stripped,
// one pair of enclosing quotes removed, booleans stored as "1"/"0". Bytes are kept as they are
// (Windows-1251); a file written by hand in UTF-8 is read as UTF-8 (FileTextToCp1251), and
// written back as Windows-1251.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// The text of an INI file in memory. Unknown lines and comments are kept as they stand.
class TIniDocument {
public:
    static TIniDocument Parse(std::string_view text);
    std::string Serialize() const;

    // The value with blanks and one pair of enclosing quotes removed, or nullopt.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Section names in file order; a name that repeats (in any case) is listed once.
    std::vector<std::string> Sections() const;
    // Key names of a section in file order, each once.
    std::vector<std::string> Keys(std::string_view section) const;
    bool HasSection(std::string_view section) const;

    // 1-based line numbers in Serialize()'s text, which for a parsed document that has not been
    // written to are those of the parsed text: the section's header line and the line of the key
    // that Find reads; 0 when there is none.
    int SectionLine(std::string_view section) const;
    int KeyLine(std::string_view section, std::string_view key) const;

    // Replaces the key's line, or appends it at the end of its section; a missing section is
    // appended at the end of the file. Line breaks in the section, key or value become blanks;
    // a value that would not read back as it stands (blanks at either end, enclosing quotes) is
    // stored in double quotes.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

private:
    struct Section {
        std::string name;
        std::vector<std::string> lines;
    };
    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);

    std::vector<std::string> preamble_; // lines before the first section
    std::vector<Section> sections_;
};

// An INI file on disk. Every call opens the file, reads or writes and closes it again; nothing
// is cached. A write reads the current file under an advisory lock, changes it and replaces it
// atomically, so a crash or a concurrent writer never loses a key.
class TIniFile {
public:
    explicit TIniFile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // The whole file as it is now; a missing or unreadable file reads as empty.
    TIniDocument Read() const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;

    // Applies change to the current contents and writes the result; false when the file could
    // not be written (the old file is then left as it was).
    bool Update(const std::function<void(TIniDocument&)>& change);

    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);
    bool EraseSection(std::string_view section);

private:
    std::string path_;
};

} // namespace orv
