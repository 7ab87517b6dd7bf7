#include "shell/editor/JobPreview.h"

#include "engine/ControlThread.h"
#include "appcore/ApplicationCore.h"

#include <QThread>

#include <algorithm>

namespace orv {

namespace {

// Lets the start screen's character set give way before the job's lines use the slots.
constexpr int kCharsetSwitchMs = 200;

} // namespace

TJobPreview::TJobPreview(TApplicationCore& core, std::function<TJobScreen()> screen,
                         TFrameSink* sink, QObject* parent)
    : QObject(parent), core_(core), screen_(std::move(screen)), sink_(sink) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
}

void TJobPreview::Start() {
    if (core_.Charsets().ActiveCharset() == crSwitchUser) {
        core_.Charset(crSwitchHorizontal, {});
        QThread::msleep(kCharsetSwitchMs);
    }
    timer_.start(std::max(1, core_.Settings().Common.BaseTimeoutMs));
    Step(true);
}

void TJobPreview::Stop() { timer_.stop(); }

void TJobPreview::Step(bool restart) {
    if (restart) shown_ = screen_();
    const std::vector<std::string> rows = core_.Thread().PreviewScreenStep(shown_, restart);
    if (sink_ && !rows.empty()) sink_->ShowFrame(rows);
}

} // namespace orv
