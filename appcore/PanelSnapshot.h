// What the panel shows now, for programs that ask from outside (orvanta3ctl show): the rows of
// the last frame and the custom characters loaded into the slots. It sits between the display
// thread and the program's own frame sink and character observer, passing everything on.
#pragma once

#include "engine/Charsets.h"
#include "engine/ControlThread.h"

#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orv {

class TPanelSnapshot final : public TFrameSink, public TCustomCharObserver {
public:
    // Where frames and character loads go on to; null: nowhere. Takes effect at once.
    void SetSink(TFrameSink* sink);
    void SetObserver(TCustomCharObserver* observer);
    // A second place frames go to besides the sink (the web interface); null: none.
    void SetTap(TFrameSink* tap);

    void ShowFrame(const std::vector<std::string>& rows) override;
    void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) override;

    // The last frame's rows (Windows-1251, codes 1..8 for the custom characters); empty
    // before the first.
    std::vector<std::string> Rows() const;
    // The dot rows loaded into slots 1..8 (index 0 is slot 1); none for a slot not loaded yet.
    std::array<std::optional<TGlyphRows>, 8> CustomChars() const;

private:
    mutable std::mutex mutex_;
    TFrameSink* sink_ = nullptr;
    TCustomCharObserver* observer_ = nullptr;
    // The tap is called outside mutex_, so that it may wake a thread that reads the snapshot
    // at once without that thread waiting for the lock.
    std::mutex tapMutex_;
    TFrameSink* tap_ = nullptr;
    std::vector<std::string> rows_;
    std::array<std::optional<TGlyphRows>, 8> custom_{};
};

} // namespace orv
