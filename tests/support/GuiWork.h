// What the GUI thread runs for a test: the queued calls it takes, and the paint events of one
// widget with the region they paint.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

namespace orv::test {

class TGuiWork : public QObject {
public:
    explicit TGuiWork(QWidget& painted) : painted_(painted) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TGuiWork() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::MetaCall) ++Calls;
        if (target == &painted_ && event->type() == QEvent::Paint) {
            ++Paints;
            Painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
    void Reset() {
        Calls = Paints = 0;
        Painted = {};
    }
    int Calls = 0;
    int Paints = 0;
    QRegion Painted;

private:
    QWidget& painted_;
};

} // namespace orv::test
