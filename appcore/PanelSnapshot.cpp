#include "appcore/PanelSnapshot.h"

namespace orv {

void TPanelSnapshot::SetSink(TFrameSink* sink) {
    std::lock_guard lock(mutex_);
    sink_ = sink;
}

void TPanelSnapshot::SetObserver(TCustomCharObserver* observer) {
    std::lock_guard lock(mutex_);
    observer_ = observer;
}

// The locks are held while the frame is passed on, so that a sink or tap being taken away is
// never called afterwards.
void TPanelSnapshot::ShowFrame(const std::vector<std::string>& rows) {
    {
        std::lock_guard lock(mutex_);
        rows_ = rows;
        if (sink_) sink_->ShowFrame(rows);
    }
    std::lock_guard lock(tapMutex_);
    if (tap_) tap_->ShowFrame(rows);
}

void TPanelSnapshot::SetTap(TFrameSink* tap) {
    std::lock_guard lock(tapMutex_);
    tap_ = tap;
}

void TPanelSnapshot::CustomCharLoaded(uint8_t code, const TGlyphRows& rows) {
    std::lock_guard lock(mutex_);
    if (code >= 1 && code <= custom_.size()) custom_[code - 1] = rows;
    if (observer_) observer_->CustomCharLoaded(code, rows);
}

std::vector<std::string> TPanelSnapshot::Rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

std::array<std::optional<TGlyphRows>, 8> TPanelSnapshot::CustomChars() const {
    std::lock_guard lock(mutex_);
    return custom_;
}

} // namespace orv
