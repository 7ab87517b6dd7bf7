// Carries the display thread's frames and user-defined characters to the virtual display
// window. The engine may call it on any thread; everything reaches the window through the GUI
// thread's event queue, in the order it was sent, so painting stays on the GUI thread.
//
// Create it on the GUI thread and give it to the core (SetFrameSink, SetCustomCharObserver) for
// the whole run; destroy it only after the display thread has stopped. The window may come and
// go: the feed holds no frame for a window it does not have, but it keeps the eight
// user-defined characters and gives them to every window it is given.
#pragma once

#include "engine/Charsets.h"
#include "engine/ControlThread.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <optional>

namespace orv {

class TfrmVirtualDisplay;

class TVirtualDisplayFeed final : public TFrameSink, public TCustomCharObserver {
public:
    TVirtualDisplayFeed();
    ~TVirtualDisplayFeed() override;

    // GUI thread. null: frames are dropped until a window is set again.
    void SetDisplay(TfrmVirtualDisplay* display);
    TfrmVirtualDisplay* Display() const { return display_; }

    // Any thread.
    void ShowFrame(const std::vector<std::string>& rows) override;
    void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) override;

private:
    QObject relay_; // lives on the GUI thread; queued calls run there
    QPointer<TfrmVirtualDisplay> display_;                      // GUI thread only
    std::array<std::optional<TGlyphRows>, 8> customChars_; // GUI thread only
};

} // namespace orv
