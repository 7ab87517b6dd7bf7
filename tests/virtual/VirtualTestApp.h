// The offscreen Qt application of the virtual display tests.
#pragma once

#include <QApplication>

#include <cstdlib>

namespace orv::test {

inline QApplication& VirtualTestApp() {
    static int argc = 1;
    static char name[] = "virtual_display_tests";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

} // namespace orv::test
