// The display cycle between two ticks: the screen being shown and its renderer, the sub-screen
// of an enumerated screen, whether its transition has played, and the lines the previous
// screen left behind for that transition. Touched only by the thread that runs the cycle.
#pragma once

#include "engine/ScreenRenderer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// Removes markLength characters at the first "#enum" of line.
void EraseEnumMark(std::string& line, int32_t markLength);

class TScreenCycle {
public:
    TScreenCycle(TTagLanguage& language, TCharsets& charsets);

    void SetGeometry(int32_t rows, int32_t cols);
    // A new run: the first sub-screen, and the separator of scrolling lines.
    void Start(std::string separator);

    // Entering screen index (again for each sub-screen): its lines split and built, and
    // whether the first element's value makes it enumerated.
    void Enter(int32_t index, const TJobScreen& screen);
    int32_t ScreenIndex() const { return screenIndex_; }
    bool Enumerated() const { return enumerated_; }
    // Read without rendering the element.
    const std::string& FirstValue() const { return renderer_.FirstValue(); }

    // Before a tick of an enumerated screen with a count: the sub-screen's number becomes the
    // argument of every element.
    void PassSubScreenNumber();
    // True once per screen: its transition is due (from PreviousTexts to Texts).
    bool TakeTransition();
    const TScreenRows& PreviousTexts() const { return previousTexts_; }
    const TScreenRows& Texts() const { return renderer_.Texts(); }

    // The rows of one tick, written to driver (null: none) where they changed; edit(line, text)
    // sees each line after an "#enum" mark has been taken out.
    const std::vector<std::string>& Tick(TLCDBaseControl* driver, TLineEdit edit = {});
    // Ticks ahead (at most limit) that would change neither the rows nor anything a module
    // is asked; passing them only moves the elements' refresh counters on.
    int32_t QuietTicks(int32_t limit, const TRenderTimes& times) const {
        return renderer_.QuietSteps(limit, times);
    }
    void PassQuietTicks(int32_t count) { renderer_.PassQuietSteps(count); }
    // The panel shows something else now: the next tick writes every row.
    void ForgetShownRows() { renderer_.ForgetShownRows(); }

    // Leaving the screen: false when the next sub-screen follows, true when the cycle goes on
    // to another screen. A navigation request ends every sub-screen.
    bool Leave(bool navigated);

private:
    TScreenRenderer renderer_;
    int32_t rows_ = 2;
    TScreenRows previousTexts_{};
    int32_t screenIndex_ = 0;
    bool transitionDone_ = false;
    bool enumerated_ = false;
    uint8_t enumCount_ = 0;
    uint8_t enumIndex_ = 0;
    int32_t enumMarkLen_ = 0;
};

} // namespace orv
