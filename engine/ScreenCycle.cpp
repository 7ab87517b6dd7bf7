#include "engine/ScreenCycle.h"

#include "engine/JobUnit.h"
#include "abi/CommandWords.h"
#include "base/TextUtil.h"

#include <algorithm>

namespace orv {

void EraseEnumMark(std::string& line, int32_t markLength) {
    const size_t at = line.find(kEnumMark);
    if (at != std::string::npos) line.erase(at, static_cast<size_t>(std::max(markLength, 0)));
}

TScreenCycle::TScreenCycle(TTagLanguage& language, TCharsets& charsets)
    : renderer_(language, charsets, TScreenRenderer::TWrites::Changed) {}

void TScreenCycle::SetGeometry(int32_t rows, int32_t cols) {
    rows_ = rows;
    renderer_.SetGeometry(rows, cols);
}

void TScreenCycle::Start(std::string separator) {
    renderer_.SetSeparator(std::move(separator));
    enumIndex_ = 0;
    transitionDone_ = false;
}

void TScreenCycle::Enter(int32_t index, const TJobScreen& screen) {
    screenIndex_ = index;
    renderer_.Clear();
    for (int32_t line = 1; line <= rows_; ++line) {
        renderer_.AddLine(screen, line);
        renderer_.BuildText(line);
    }

    const std::string& first = FirstValue();
    enumerated_ = first.starts_with(kEnumMark);
    enumCount_ = 0;
    enumMarkLen_ = 0;
    if (enumerated_) {
        const auto count = ParseInt32(std::string_view(first).substr(kEnumMark.size()));
        enumCount_ = static_cast<uint8_t>(count.value_or(0) & 0xFF);
        enumMarkLen_ = static_cast<int32_t>(first.size());
    }
}

void TScreenCycle::PassSubScreenNumber() {
    if (!enumerated_ || enumCount_ == 0) return;
    const std::string argument = std::to_string(enumIndex_);
    for (auto& tag : renderer_.Tags()) tag.Argument = argument;
}

bool TScreenCycle::TakeTransition() {
    if (transitionDone_) return false;
    transitionDone_ = true;
    return true;
}

const std::vector<std::string>& TScreenCycle::Tick(TLCDBaseControl* driver, TLineEdit edit) {
    return renderer_.Step(driver, [this, edit](int32_t line, std::string& text) {
        if (enumerated_) EraseEnumMark(text, enumMarkLen_);
        edit(line, text);
    });
}

bool TScreenCycle::Leave(bool navigated) {
    if (!navigated && enumerated_ && enumCount_ != 0 && enumIndex_ < enumCount_ - 1) {
        ++enumIndex_;
        return false;
    }
    enumIndex_ = 0;
    const TScreenRows& texts = renderer_.Texts();
    for (int32_t line = 1; line <= kMaxRows; ++line) {
        const auto i = static_cast<size_t>(line - 1);
        previousTexts_[i] = line <= rows_ ? texts[i] : std::string();
    }
    transitionDone_ = false;
    return true;
}

} // namespace orv
