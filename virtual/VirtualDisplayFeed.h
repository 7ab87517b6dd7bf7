// Carries the display thread's frames and user-defined characters to the virtual display
// window. The engine may call it on any thread; everything reaches the window through the GUI
// thread's event queue, so painting stays on the GUI thread.
//
// Create it on the GUI thread and give it to the core (SetFrameSink, SetCustomCharObserver) for
// the whole run; destroy it only after the display thread has stopped. The window may come and
// go: the feed keeps the latest frame and the eight user-defined characters and gives them to
// every window it is given, and to a hidden window again when it is shown.
//
// It wakes the GUI thread only for a window on show and only when something changed: a frame
// equal to the last one, or one sent while no window shows, costs the GUI thread nothing.
// Frames that follow each other before the GUI thread takes them are shown as the latest one.
// Where the window's panel paints itself (on X11), frames go to it from the caller's thread
// and wake the GUI thread not at all, but for a character it has not drawn yet and for
// user-defined characters.
#pragma once

#include "engine/Charsets.h"
#include "engine/ControlThread.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orv {

class TfrmVirtualDisplay;
class TOnScreenPanel;

class TVirtualDisplayFeed final : public TFrameSink, public TCustomCharObserver {
public:
    TVirtualDisplayFeed();
    ~TVirtualDisplayFeed() override;

    // GUI thread. null: nothing is passed on until a window is set again.
    void SetDisplay(TfrmVirtualDisplay* display);
    TfrmVirtualDisplay* Display() const { return display_; }

    // Any thread.
    void ShowFrame(const std::vector<std::string>& rows) override;
    void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) override;

private:
    // GUI thread: the window was shown or hidden.
    void SetShowing(bool showing);
    // GUI thread: what changed since the last delivery, to the window.
    void Deliver();
    // Under mutex_: whether to ask the GUI thread for a delivery (none is pending and a
    // window shows); then it counts as pending.
    bool DeliveryDue();
    void PostDelivery();
    void MarkAllChanged();
    // Under mutex_, display thread: frame_ to panel_, never waiting; false when it takes none
    // (closed, it is let go).
    bool ShowOnPanel();

    QObject relay_;                        // lives on the GUI thread; queued calls run there
    QPointer<TfrmVirtualDisplay> display_; // GUI thread only
    QMetaObject::Connection visibility_;   // GUI thread only

    std::mutex mutex_;                      // guards what follows
    std::shared_ptr<TOnScreenPanel> panel_; // the window's, while it paints itself
    std::vector<std::string> frame_;
    uint64_t frameSequence_ = 0; // frames numbered from 1, so the panel keeps their order
    bool frameChanged_ = false;
    std::array<std::optional<TGlyphRows>, 8> customChars_;
    std::array<bool, 8> charChanged_{};
    bool showing_ = false;
    bool deliveryPending_ = false;
};

} // namespace orv
