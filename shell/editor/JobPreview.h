// The editor's preview: while it runs, the lines of one screen are evaluated on the main thread
// by the display thread's own preview step, once per "Base timeout", and the rows go to the
// panel and to the frame sink. A timer on the event loop paces it, so the window stays
// responsive in between.
#pragma once

#include "engine/JobUnit.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace orv {

class TApplicationCore;
class TFrameSink;

class TJobPreview final : public QObject {
    Q_OBJECT
public:
    // screen gives the lines to show, asked at the start; sink may be null.
    TJobPreview(TApplicationCore& core, std::function<TJobScreen()> screen, TFrameSink* sink,
                QObject* parent = nullptr);

    bool Running() const { return timer_.isActive(); }
    // Parses the lines afresh and shows the first pass at once.
    void Start();
    // Ends the pacing; the panel keeps the last pass (the caller clears it).
    void Stop();
    // One pass: every row evaluated, written to an active driver and to the sink; restart
    // takes the lines afresh.
    void Step(bool restart = false);

private:
    TApplicationCore& core_;
    std::function<TJobScreen()> screen_;
    TFrameSink* sink_;
    TJobScreen shown_;
    QTimer timer_;
};

} // namespace orv
