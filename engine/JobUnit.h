// The job: the ordered screens the display cycles through, and its ".orv3" file.
//
// Screen indexes are 0-based, line numbers 1..8. An index or line number out of range makes a
// getter return 0, false or "" and a setter do nothing. All text is Windows-1251.
//
// The main window owns the job; the display thread reads it and writes only the Shown flags,
// while the editor is hidden and leaves the job alone.
#pragma once

#include "engine/DisplaySize.h"
#include "engine/LineLayout.h"
#include "base/IniFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TJobScreen {
    std::string Name;
    int32_t Timeout = 0; // seconds; 0 = no time limit
    TScreenRows Line{};
    std::array<TLineAlign, kMaxRows> Align{};
    std::array<TLineScroll, kMaxRows> Scroll{};
    bool Show = true;
    bool Once = false;
    bool Shown = false; // run-time only, never stored
    uint8_t TransitionEffect = 0;

    bool operator==(const TJobScreen&) const = default;
};

// A job of eight screens of eight long lines is a few kilobytes; far more is no job.
inline constexpr size_t kMaxJobFileBytes = 4u << 20;

// The text of a job file as an INI document (a file written in UTF-8 is read as UTF-8, see
// FileTextToCp1251); nullopt, with the reason in error when given, for a file that is missing,
// unreadable, not a regular file or larger than kMaxJobFileBytes.
std::optional<TIniDocument> ReadJobDocument(const std::string& path, std::string* error = nullptr);

// Whether any screen of a job document has Show set, as TJob reads it.
bool AnyScreenShown(const TIniDocument& doc);

class TJob {
public:
    int Count() const { return static_cast<int>(screens_.size()); }
    // Whether any screen has Show set: a job without one runs and shows nothing.
    bool AnyScreenShown() const;

    void AddScreen(std::string_view name);
    void DeleteScreen(int index);
    void ExchangeScreens(int a, int b);

    std::string GetName(int index) const;
    void SetName(int index, std::string_view name);
    int32_t GetTimeout(int index) const;
    void SetTimeout(int index, int32_t seconds);
    bool GetShow(int index) const;
    void SetShow(int index, bool show);
    bool GetOnce(int index) const;
    void SetOnce(int index, bool once);
    bool GetShown(int index) const;
    void SetShown(int index, bool shown);
    uint8_t GetTransitionEffect(int index) const;
    void SetTransitionEffect(int index, uint8_t effect);

    std::string GetLine(int index, int line) const;
    void SetLine(int index, int line, std::string_view text);
    TLineAlign GetAlign(int index, int line) const;
    void SetAlign(int index, int line, TLineAlign align);
    TLineScroll GetScroll(int index, int line) const;
    void SetScroll(int index, int line, TLineScroll scroll);

    // Clears every Shown flag (the display thread does this when it starts).
    void ClearShown();

    // The whole screen record; nullptr when index is out of range.
    const TJobScreen* Screen(int index) const;

    // Replaces the job with the screens of the file, one per section in file order. A file that
    // is missing, unreadable, not a regular file or larger than kMaxJobFileBytes gives a job
    // without screens; the result is false then, with the reason in error when given.
    bool LoadFromFile(const std::string& path, std::string* error = nullptr);

    // Replaces every section of the file with one section per screen, in one atomic write.
    // Does nothing without screens. False when nothing was written.
    bool SaveToFile(const std::string& path) const;

private:
    TJobScreen* At(int index);
    const TJobScreen* At(int index) const;

    std::vector<TJobScreen> screens_;
};

} // namespace orv
