// Drives a plug-in's settings dialog on the offscreen Qt platform: Configure runs, and each
// modal window it opens in turn (the dialog, a message box over it, the dialog again) is
// handed to the next step, which reads and sets its controls and presses a button.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <vector>

namespace orv::test {

inline QApplication& DialogApp() {
    static int argc = 1;
    static char name[] = "dialog_tests";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: at exit Qt's own globals may already be gone.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

template <typename T> T& Child(QWidget& window, const char* name) {
    T* child = window.findChild<T*>(name);
    if (!child) throw std::runtime_error(name);
    return *child;
}

// Presses a button once the step has returned, so a message box it opens does not run inside
// the step.
inline void PressLater(QWidget& window, const char* button) {
    QTimer::singleShot(0, &Child<QPushButton>(window, button), &QPushButton::click);
}

using TDialogStep = std::function<void(QWidget&)>;

// Runs configure; returns how many steps ran.
inline size_t RunDialogSteps(const std::function<void()>& configure,
                             std::vector<TDialogStep> steps) {
    DialogApp();
    size_t done = 0;
    QWidget* last = nullptr;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window || window == last || done == steps.size()) return;
        last = window;
        try {
            steps[done++](*window);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "no control " << e.what();
        }
    });
    poll.start(10);
    configure();
    return done;
}

} // namespace orv::test
