// SIGTERM, SIGINT and SIGHUP reach the main thread as a Qt signal, after the handler returned.
#include "shell/desktop/QuitSignals.h"
#include "tests/support/ModalDialog.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace orv::test {
namespace {

TEST(QuitSignals, EachSignalArrivesOnTheEventLoop) {
    OffscreenApp();
    TQuitSignals quitSignals;
    QSignalSpy received(&quitSignals, &TQuitSignals::Received);
    ::raise(SIGTERM);
    ::raise(SIGINT);
    EXPECT_EQ(received.count(), 0) << "nothing runs inside the handler";
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.count() == 2; }, 10000));
    EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
    EXPECT_EQ(received.at(1).at(0).toInt(), SIGINT);
}

} // namespace
} // namespace orv::test
