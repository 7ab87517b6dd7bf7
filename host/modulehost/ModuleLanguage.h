// Module language files: the translated texts of a data module's descriptor, kept beside the
// library as NAME.lng (an INI file, one section per language).
//
// Keys: "1_001" Description, "2_001" GroupCaption, "3_00<i>" TagCaptions[i + 1] and "4_00<i>"
// TagHints[i + 1] for i = -1..15 ("3_00-1", "3_000", ... "3_0015"). A carriage return is
// written as "__13", a line feed as "__10".
#pragma once

#include "abi/ConstUnit.h"

#include <string>
#include <string_view>

namespace orv {

// The library's path with its extension replaced by ".lng".
std::string ModuleLanguagePath(std::string_view libraryPath);

std::string EscapeLanguageText(std::string_view text);
std::string UnescapeLanguageText(std::string_view text);

// Keys of the caption and hint of entry k (0..16) of TagCaptions / TagHints.
std::string TagCaptionKey(int entry);
std::string TagHintKey(int entry);

// A zero-terminated copy that lives until the process ends. Equal texts share one copy, so
// applying a language again does not grow memory. Thread-safe.
const char* HostOwnedString(std::string_view text);

// The descriptor's texts a language replaces, kept to bring the module's own back.
struct TDescriptorTexts {
    const char* Description = nullptr;
    const char* GroupCaption = nullptr;
    const char* TagCaptions[kMaxTags + 1] = {};
    const char* TagHints[kMaxTags + 1] = {};
};
TDescriptorTexts DescriptorTexts(const TPluginDescriptor& descriptor);
void SetDescriptorTexts(TPluginDescriptor& descriptor, const TDescriptorTexts& texts);

// Replaces Description, GroupCaption, TagCaptions[0..16] and TagHints[0..16] by the texts the
// section language of the file holds; absent keys keep the current text. Nothing happens when
// language is empty or the file does not exist. Returns whether the section was found.
bool ApplyModuleLanguage(TPluginDescriptor& descriptor, const std::string& languageFile,
                         std::string_view language);

// Replaces the file by one with section "RU": "1_001", "2_001" and the key of every non-empty
// caption and hint. False when the file could not be written.
bool WriteModuleLanguageTemplate(const TPluginDescriptor& descriptor,
                                 const std::string& languageFile);

} // namespace orv
