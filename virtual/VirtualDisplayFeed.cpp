#include "virtual/VirtualDisplayFeed.h"

#include "virtual/LCDLabel.h"
#include "virtual/OnScreenPanel.h"
#include "virtual/VirtualDisplayWindow.h"

#include <utility>

namespace orv {

namespace {

// The rows of a frame as one caption.
std::string Joined(const std::vector<std::string>& rows) {
    std::string caption;
    for (const std::string& row : rows) caption += row;
    return caption;
}

} // namespace

TVirtualDisplayFeed::TVirtualDisplayFeed() = default;
TVirtualDisplayFeed::~TVirtualDisplayFeed() = default;

void TVirtualDisplayFeed::SetDisplay(TfrmVirtualDisplay* display) {
    if (visibility_) QObject::disconnect(visibility_);
    display_ = display;
    {
        std::lock_guard lock(mutex_);
        panel_ = display ? display->Screen().OnScreen() : nullptr;
    }
    if (display)
        visibility_ = QObject::connect(display, &TfrmVirtualDisplay::VisibilityChanged, &relay_,
                                       [this](bool shown) { SetShowing(shown); });
    // A window that was never shown takes frames as well: only hiding it stops them.
    SetShowing(display != nullptr);
}

void TVirtualDisplayFeed::SetShowing(bool showing) {
    {
        std::lock_guard lock(mutex_);
        showing_ = showing && display_;
        if (!showing_) return;
        MarkAllChanged();
    }
    Deliver();
}

void TVirtualDisplayFeed::ShowFrame(const std::vector<std::string>& rows) {
    {
        std::lock_guard lock(mutex_);
        if (rows == frame_) return;
        frame_ = rows;
        ++frameSequence_;
        // Straight to the screen, unless a delivery to come brings characters first.
        if (showing_ && !deliveryPending_ && ShowOnPanel()) return;
        frameChanged_ = true;
        if (!DeliveryDue()) return;
    }
    PostDelivery();
}

void TVirtualDisplayFeed::CustomCharLoaded(uint8_t code, const TGlyphRows& rows) {
    if (code < 1 || code > customChars_.size()) return;
    {
        std::lock_guard lock(mutex_);
        auto& kept = customChars_[code - 1];
        if (kept == rows) return;
        kept = rows;
        charChanged_[code - 1] = true;
        if (!DeliveryDue()) return;
    }
    PostDelivery();
}

bool TVirtualDisplayFeed::DeliveryDue() {
    if (!showing_ || deliveryPending_) return false;
    deliveryPending_ = true;
    return true;
}

// Outside the lock: the GUI thread it wakes takes the lock at once.
void TVirtualDisplayFeed::PostDelivery() {
    QMetaObject::invokeMethod(
        &relay_, [this] { Deliver(); }, Qt::QueuedConnection);
}

bool TVirtualDisplayFeed::ShowOnPanel() {
    if (!panel_) return false;
    switch (panel_->ShowCaption(Joined(frame_), false, frameSequence_)) {
    case TOnScreenPanel::TShown::Shown: return true;
    case TOnScreenPanel::TShown::NeedsCells:         // characters to draw
    case TOnScreenPanel::TShown::Busy: return false; // the GUI thread may wait
    case TOnScreenPanel::TShown::Closed: break;
    }
    panel_.reset();
    return false;
}

void TVirtualDisplayFeed::MarkAllChanged() {
    frameChanged_ = true;
    for (size_t slot = 0; slot < customChars_.size(); ++slot)
        charChanged_[slot] = customChars_[slot].has_value();
}

void TVirtualDisplayFeed::Deliver() {
    std::array<std::optional<TGlyphRows>, 8> chars;
    std::optional<std::vector<std::string>> frame;
    uint64_t sequence = 0;
    {
        std::lock_guard lock(mutex_);
        deliveryPending_ = false;
        if (!display_) { // destroyed meanwhile
            showing_ = false;
            return;
        }
        for (size_t slot = 0; slot < chars.size(); ++slot)
            if (std::exchange(charChanged_[slot], false)) chars[slot] = customChars_[slot];
        if (std::exchange(frameChanged_, false)) frame = frame_;
        sequence = frameSequence_;
    }
    // Characters first: the frame that uses them came after them.
    for (size_t slot = 0; slot < chars.size(); ++slot)
        if (chars[slot]) display_->DefineChar(static_cast<uint8_t>(slot + 1), *chars[slot]);
    if (!frame) return;
    // Numbered: a later frame the display thread has put meanwhile is not overtaken.
    if (!display_->Screen().ShowOnScreen(Joined(*frame), sequence)) display_->ShowRows(*frame);
}

} // namespace orv
