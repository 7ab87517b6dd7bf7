#include "virtual/VirtualDisplayFeed.h"

#include "virtual/VirtualDisplayWindow.h"

namespace orv {

TVirtualDisplayFeed::TVirtualDisplayFeed() = default;
TVirtualDisplayFeed::~TVirtualDisplayFeed() = default;

void TVirtualDisplayFeed::SetDisplay(TfrmVirtualDisplay* display) {
    display_ = display;
    if (!display) return;
    for (size_t slot = 0; slot < customChars_.size(); ++slot)
        if (customChars_[slot]) display->DefineChar(static_cast<uint8_t>(slot + 1), *customChars_[slot]);
}

void TVirtualDisplayFeed::ShowFrame(const std::vector<std::string>& rows) {
    QMetaObject::invokeMethod(
        &relay_, [this, rows] { if (display_) display_->ShowRows(rows); }, Qt::QueuedConnection);
}

void TVirtualDisplayFeed::CustomCharLoaded(uint8_t code, const TGlyphRows& rows) {
    if (code < 1 || code > customChars_.size()) return;
    QMetaObject::invokeMethod(
        &relay_,
        [this, code, rows] {
            customChars_[code - 1] = rows;
            if (display_) display_->DefineChar(code, rows);
        },
        Qt::QueuedConnection);
}

} // namespace orv
