#include "host/modulehost/ModuleLanguage.h"

#include "base/AtomicFile.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/LanguageFile.h"

#include <algorithm>
#include <mutex>
#include <set>

namespace orv {

namespace {

constexpr std::string_view kCr = "__13";
constexpr std::string_view kLf = "__10";

} // namespace

std::string ModuleLanguagePath(std::string_view libraryPath) {
    const size_t slash = libraryPath.rfind('/');
    const size_t dot = libraryPath.rfind('.');
    const bool hasExtension =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash + 1);
    return std::string(hasExtension ? libraryPath.substr(0, dot) : libraryPath) + ".lng";
}

std::string EscapeLanguageText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r')
            out += kCr;
        else if (c == '\n')
            out += kLf;
        else
            out += c;
    }
    return out;
}

std::string UnescapeLanguageText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const std::string_view rest = text.substr(i);
        if (rest.starts_with(kCr)) {
            out += '\r';
            i += kCr.size();
        } else if (rest.starts_with(kLf)) {
            out += '\n';
            i += kLf.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string TagCaptionKey(int entry) { return "3_00" + std::to_string(entry - 1); }
std::string TagHintKey(int entry) { return "4_00" + std::to_string(entry - 1); }

const char* HostOwnedString(std::string_view text) {
    // Never destroyed: descriptors of libraries that stay mapped may point here until exit.
    static auto* strings = new std::set<std::string, std::less<>>();
    static auto* lock = new std::mutex();
    std::lock_guard guard(*lock);
    auto it = strings->find(text);
    if (it == strings->end()) it = strings->emplace(text).first;
    return it->c_str();
}

TDescriptorTexts DescriptorTexts(const TPluginDescriptor& descriptor) {
    TDescriptorTexts texts{descriptor.Description, descriptor.GroupCaption, {}, {}};
    std::copy_n(descriptor.TagCaptions, kMaxTags + 1, texts.TagCaptions);
    std::copy_n(descriptor.TagHints, kMaxTags + 1, texts.TagHints);
    return texts;
}

void SetDescriptorTexts(TPluginDescriptor& descriptor, const TDescriptorTexts& texts) {
    descriptor.Description = texts.Description;
    descriptor.GroupCaption = texts.GroupCaption;
    std::copy_n(texts.TagCaptions, kMaxTags + 1, descriptor.TagCaptions);
    std::copy_n(texts.TagHints, kMaxTags + 1, descriptor.TagHints);
}

bool ApplyModuleLanguage(TPluginDescriptor& descriptor, const std::string& languageFile,
                         std::string_view language) {
    const auto read = ReadLanguageFile(languageFile, language);
    if (!read || !read->HasSection(language)) return false;
    const TIniDocument& file = *read;
    const auto apply = [&](const char*& slot, const std::string& key) {
        if (auto text = file.Find(language, key))
            slot = HostOwnedString(UnescapeLanguageText(*text));
    };
    apply(descriptor.Description, "1_001");
    apply(descriptor.GroupCaption, "2_001");
    for (int k = 0; k <= kMaxTags; ++k) {
        apply(descriptor.TagCaptions[k], TagCaptionKey(k));
        apply(descriptor.TagHints[k], TagHintKey(k));
    }
    return true;
}

bool WriteModuleLanguageTemplate(const TPluginDescriptor& descriptor,
                                 const std::string& languageFile) {
    TIniDocument file;
    const auto text = [](const char* s) { return EscapeLanguageText(s ? s : ""); };
    file.WriteString("RU", "1_001", text(descriptor.Description));
    file.WriteString("RU", "2_001", text(descriptor.GroupCaption));
    for (int k = 0; k <= kMaxTags; ++k)
        if (descriptor.TagCaptions[k] && *descriptor.TagCaptions[k])
            file.WriteString("RU", TagCaptionKey(k), text(descriptor.TagCaptions[k]));
    for (int k = 0; k <= kMaxTags; ++k)
        if (descriptor.TagHints[k] && *descriptor.TagHints[k])
            file.WriteString("RU", TagHintKey(k), text(descriptor.TagHints[k]));
    return WriteFileAtomic(languageFile, Cp1251ToFileText(file.Serialize()));
}

} // namespace orv
