// A data module from the build's plugins/software folder, loaded and checked as the host does.
#pragma once

#include "abi/CommandWords.h"
#include "base/Cp1251.h"
#include "host/ModuleLibrary.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orv::test {

class TBuiltModule {
public:
    explicit TBuiltModule(const std::string& fileName) {
        const std::string path = std::string(ORVANTA3_OUTPUT_DIR) + "/plugins/software/" + fileName;
        std::string error;
        library_ = TModuleLibrary::Open(path, &error);
        if (library_) descriptor_ = library_->DataModuleDescriptor(&error);
        if (!descriptor_) ADD_FAILURE() << error;
    }

    bool Loaded() const { return descriptor_ != nullptr; }
    const TPluginDescriptor& Descriptor() const { return *descriptor_; }
    TModuleLibrary& Library() const { return *library_; }

    // The answer to one GetValue call, copied as the host copies it.
    std::string RawValue(int32_t index, const char* param = "0") const {
        const char* text = descriptor_->GetValue(index, param);
        return text ? text : "<null>";
    }
    // The same as text: outside text without the mark in front of it.
    std::string Value(int32_t index, const char* param = "0") const {
        std::string text = RawValue(index, param);
        if (text.starts_with(kOutsideTextMark)) text.erase(0, 1);
        return text;
    }

    // Entries 1..16 of one of the descriptor's text arrays, in UTF-8.
    static std::vector<std::string> Texts(const char* const (&entries)[kMaxTags + 1]) {
        std::vector<std::string> texts;
        for (int k = 1; k <= kMaxTags; ++k) texts.push_back(Cp1251ToUtf8(entries[k]));
        return texts;
    }
    // The given texts followed by empty entries up to sixteen.
    static std::vector<std::string> Sixteen(std::vector<std::string> texts) {
        texts.resize(kMaxTags);
        return texts;
    }

private:
    std::unique_ptr<TModuleLibrary> library_;
    TPluginDescriptor* descriptor_ = nullptr;
};

} // namespace orv::test
