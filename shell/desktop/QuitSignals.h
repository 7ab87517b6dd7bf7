// SIGTERM, SIGINT and SIGHUP as a Qt signal on the main thread: the handler writes one byte to a
// pipe whose reading end a QSocketNotifier watches. One object per program.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace orv {

class TQuitSignals final : public QObject {
    Q_OBJECT
public:
    explicit TQuitSignals(QObject* parent = nullptr);
    ~TQuitSignals() override; // the default handlers again

signals:
    // On the main thread, once for each signal that arrived.
    void Received(int signal);

private:
    void Drain();

    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace orv
