// Turns the lines of one screen into display rows, one step at a time: each line is built from
// its elements, laid out to the display width, its glyph references mapped to display codes,
// and the row written to the panel. The display cycle, the preview, and the start-up and quit
// messages each render through one.
//
//   TScreenRenderer renderer(language, charsets);
//   renderer.SetGeometry(4, 20);
//   renderer.Begin(screen, kMaxRows, 1);        // once per screen
//   rows = renderer.Step(activeDriverOrNull);   // once per tick
#pragma once

#include "engine/DisplaySize.h"
#include "engine/LCDTag.h"
#include "engine/LineLayout.h"
#include "engine/TagLanguage.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

class TLCDBaseControl;

namespace orv {

class TCharsets;
struct TJobScreen;

// Sees each line of a step between building and layout (line 1-based) and may change its
// text. Refers to a callable that outlives the step (a lambda written into the call will do);
// empty, it changes nothing.
class TLineEdit {
public:
    TLineEdit() = default;
    template <typename TCallable>
    requires(!std::is_same_v<std::remove_cvref_t<TCallable>, TLineEdit> &&
             std::is_invocable_v<const TCallable&, int32_t, std::string&>)
        TLineEdit(const TCallable& callable)
        : callable_(&callable), call_([](const void* c, int32_t line, std::string& text) {
              (*static_cast<const TCallable*>(c))(line, text);
          }) {}

    void operator()(int32_t line, std::string& text) const {
        if (call_) call_(callable_, line, text);
    }

private:
    const void* callable_ = nullptr;
    void (*call_)(const void*, int32_t, std::string&) = nullptr;
};

class TScreenRenderer {
public:
    // Which rows a step writes to the panel: every row, or only those that differ from what
    // this renderer last wrote there (all again on another panel or after ForgetShownRows).
    enum class TWrites { All, Changed };

    TScreenRenderer(TTagLanguage& language, TCharsets& charsets, TWrites writes = TWrites::All);

    // rows 1..kMaxRows, cols at least 1 (the caller keeps them within range).
    void SetGeometry(int32_t rows, int32_t cols);
    // Put between the end and the start of a scrolling line.
    void SetSeparator(std::string separator) { separator_ = std::move(separator); }

    // A new screen: lines 1..lineCount of screen split into elements with their alignment and
    // scroll modes, every line's scroll state at scrollPos.
    void Begin(const TJobScreen& screen, int32_t lineCount, int32_t scrollPos = 0);
    // Begin in pieces, for a caller that builds each line as soon as it is split.
    void Clear(int32_t scrollPos = 0);
    void AddLine(const TJobScreen& screen, int32_t line);
    // Line line built into Texts(), without layout.
    void BuildText(int32_t line);

    // One step: every row built, edited, laid out, mapped and written to driver (null: none;
    // else active). Returns the rows, each exactly cols characters.
    const std::vector<std::string>& Step(TLCDBaseControl* driver, TLineEdit edit = {});

    // How many of the next steps (at most limit, at times) would give the same rows as the last
    // one and need not ask a module: no line scrolls, and QuietRenders holds for every rendered
    // element.
    int32_t QuietSteps(int32_t limit, const TRenderTimes& times) const;
    // Counts steps as passed that QuietSteps promised would change nothing.
    void PassQuietSteps(int32_t count);

    // The rows of the last step; after a failed step, those that were finished.
    const std::vector<std::string>& Frame() const { return frame_; }
    // The lines of the last build, before layout.
    const TScreenRows& Texts() const { return texts_; }
    TTagList& Tags() { return tags_; }
    // The value of the first element (the first piece of line 1), where the screen marks are
    // looked for; empty without elements or when that value is outside text.
    const std::string& FirstValue() const;
    void ForgetShownRows();

private:
    TTagLanguage& language_;
    TCharsets& charsets_;
    const TWrites writes_;
    int32_t rows_ = 2;
    int32_t cols_ = 16;
    std::string separator_ = " ";
    TTagList tags_;
    TLineLayout layout_;
    std::array<TLineAlign, kMaxRows> align_{};
    std::array<TLineScroll, kMaxRows> scroll_{};
    TScreenRows texts_{};
    std::vector<std::string> frame_;
    TLCDBaseControl* shownDriver_ = nullptr;
    TScreenRows shownRows_{};
};

} // namespace orv
