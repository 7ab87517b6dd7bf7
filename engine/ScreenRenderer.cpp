#include "engine/ScreenRenderer.h"

#include "engine/Charsets.h"
#include "engine/JobUnit.h"
#include "engine/TagLanguage.h"
#include "abi/ConstUnit.h"

#include <algorithm>

namespace orv {

TScreenRenderer::TScreenRenderer(TTagLanguage& language, TCharsets& charsets, TWrites writes)
    : language_(language), charsets_(charsets), writes_(writes) {}

void TScreenRenderer::SetGeometry(int32_t rows, int32_t cols) {
    rows_ = rows;
    cols_ = cols;
}

void TScreenRenderer::Begin(const TJobScreen& screen, int32_t lineCount, int32_t scrollPos) {
    Clear(scrollPos);
    for (int32_t line = 1; line <= lineCount; ++line) AddLine(screen, line);
}

void TScreenRenderer::Clear(int32_t scrollPos) {
    tags_.clear();
    layout_.Reset(rows_, scrollPos);
    align_ = {};
    scroll_ = {};
    // Lines below the display are never built; the others keep their text until they are.
    for (auto i = static_cast<size_t>(rows_); i < texts_.size(); ++i) texts_[i].clear();
}

void TScreenRenderer::AddLine(const TJobScreen& screen, int32_t line) {
    const auto i = static_cast<size_t>(line - 1);
    language_.SplitLine(screen.Line[i], line, tags_);
    align_[i] = screen.Align[i];
    scroll_[i] = screen.Scroll[i];
}

void TScreenRenderer::BuildText(int32_t line) {
    texts_[static_cast<size_t>(line - 1)] = language_.BuildLine(tags_, line, cols_);
}

const std::vector<std::string>& TScreenRenderer::Step(TLCDBaseControl* driver, TLineEdit edit) {
    if (writes_ == TWrites::Changed && driver != shownDriver_) {
        shownRows_ = {};
        shownDriver_ = driver;
    }
    frame_.clear();
    for (int32_t line = 1; line <= rows_; ++line) {
        const auto i = static_cast<size_t>(line - 1);
        std::string& text = texts_[i];
        text = language_.BuildLine(tags_, line, cols_);
        edit(line, text);
        std::string row = layout_.Layout(line, text, cols_, align_[i], scroll_[i], separator_);
        charsets_.MapRow(row);
        if (driver && (writes_ == TWrites::All || row != shownRows_[i])) {
            driver->WriteText(1, static_cast<uint8_t>(line), row.data(), row.size());
            if (writes_ == TWrites::Changed) shownRows_[i] = row;
        }
        frame_.push_back(std::move(row));
    }
    return frame_;
}

int32_t TScreenRenderer::QuietSteps(int32_t limit, const TRenderTimes& times) const {
    for (int32_t line = 1; line <= rows_; ++line)
        if (texts_[static_cast<size_t>(line - 1)].size() > static_cast<size_t>(cols_)) return 0;
    int32_t quiet = limit;
    for (const auto& tag : tags_) {
        if (quiet <= 0) break;
        if (TTagLanguage::Rendered(tag, rows_)) quiet = language_.QuietRenders(tag, quiet, times);
    }
    return std::max(quiet, 0);
}

void TScreenRenderer::PassQuietSteps(int32_t count) {
    for (auto& tag : tags_)
        if (TTagLanguage::Rendered(tag, rows_)) language_.PassQuietRenders(tag, count);
}

const std::string& TScreenRenderer::FirstValue() const {
    static const std::string none;
    return tags_.empty() || tags_.front().OutsideText ? none : tags_.front().Value;
}

void TScreenRenderer::ForgetShownRows() { shownRows_ = {}; }

} // namespace orv
