// orvanta3: the desktop program. The start-up window while the program starts, then the main
// window, hidden in the tray while a job runs. SIGTERM, SIGINT and SIGHUP end it as "Закрыть"
// does: the quit message on the panel, every module released, exit status 0.
#include "appcore/ApplicationCore.h"
#include "shell/desktop/MainWindow.h"
#include "shell/desktop/QuitSignals.h"
#include "shell/desktop/StartupWindow.h"
#include "base/ui/WindowLanguage.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <memory>

using namespace orv;

namespace {

constexpr int kStepMs = 200;
constexpr int kLastStepMs = 800;

// Lets the windows run for ms milliseconds.
void PauseWithEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    const bool languageTemplate = LanguageTemplateRequested(argc, argv);
    // Under X11 a shared-memory repaint waits for the server's reply on the X thread: three
    // wake-ups a repaint instead of one, every frame where the virtual display's panel cannot
    // put its frames itself. Our windows are small, so plain image uploads cost nothing; a
    // value the user set is kept.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvanta3"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANTA3_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("orvanta3"));
    // Hidden in the tray the program has no window, and keeps running.
    QApplication::setQuitOnLastWindowClosed(false);
    TQuitSignals quitSignals;

    TApplicationCoreOptions options;
    options.CreateLanguageTemplate = languageTemplate;
    options.MirrorsInVirtualDisplay = true;
    options.CallerSaysNoDriver = true;
    TApplicationCore core(options);
    core.Settings().ReadEarly();
    // The start-up window, only when it is to be seen: its picture costs start-up time.
    std::unique_ptr<TStartupWindow> splash;
    const bool showSplash = core.Settings().Common.ShowSplashScreen;
    if (showSplash) {
        splash = std::make_unique<TStartupWindow>();
        splash->SetProgress("Orvanta3 starting...");
        splash->show();
    }

    TOrvantaOptions windowOptions;
    windowOptions.WriteLanguageTemplate = languageTemplate;
    TOrvanta window(core, windowOptions);
    QObject::connect(&quitSignals, &TQuitSignals::Received, &window, &TOrvanta::Quit);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &TOrvanta::Quit);
    QObject::connect(&window, &TOrvanta::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    // Each step shows its text; with the start-up window shown it stays a moment.
    window.StartUp([&](std::string_view text) {
        if (splash) splash->SetProgress(text);
        QCoreApplication::processEvents();
        if (splash) PauseWithEvents(text == kStartedText ? kLastStepMs : kStepMs);
    });
    splash.reset();
    if (window.Finished()) return 0;
    return QApplication::exec();
}
