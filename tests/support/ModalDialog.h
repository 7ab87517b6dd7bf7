// Settings dialogs of plug-ins under test on the offscreen Qt platform: the application they
// need, their controls by object name, and a run of a modal dialog that the test drives.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>

namespace orv::test {

// One offscreen application for the whole test program.
inline QApplication& OffscreenApp() {
    static int argc = 1;
    static char name[] = "dialog_tests";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: at exit Qt's own globals may already be gone.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The dialog's control of that object name; throws when it has none.
template <typename T> T& Child(QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(name);
    if (!child) throw std::runtime_error(name);
    return *child;
}

// Runs open, which shows a modal dialog; while the dialog is up, edit(dialog) sets its controls
// and presses a button.
inline void WhileModal(const std::function<void()>& open,
                       const std::function<void(QWidget&)>& edit) {
    OffscreenApp();
    bool edited = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget(); dialog && !edited) {
            edited = true;
            edit(*dialog);
        }
    });
    poll.start(10);
    open();
    EXPECT_TRUE(edited) << "the dialog was shown";
}

} // namespace orv::test
