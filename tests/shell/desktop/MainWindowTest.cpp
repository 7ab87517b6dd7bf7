// The main window's start-up and its states on the offscreen platform, with the real drivers
// and modules and the emulated 4 x 20 panel.
#include "shell/desktop/MainWindow.h"
#include "base/IniFile.h"
#include "host/ProgramMessages.h"
#include "base/ui/WindowLanguage.h"
#include "tests/shell/desktop/DesktopRig.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModalDialog.h"
#include "shell/editor/TagTree.h"
#include "tests/support/ThrowingPlugins.h"
#include "tests/support/WaitUntil.h"
#include "virtual/LCDLabel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace orv::test {
namespace {

// Counts the times a widget is shown.
class TShowCounter final : public QObject {
public:
    explicit TShowCounter(QWidget& widget) { widget.installEventFilter(this); }
    int shows = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++shows;
        return false;
    }
};

class DesktopWindow : public ::testing::Test, protected TDesktopRig {
protected:
    void SetUp() override {
        OffscreenApp();
        UseEnvironment("desktop-test");
    }
    void TearDown() override {
        window.reset();
        core.reset();
        ProgramMessages().Reset();
    }

    void Start(bool trayAvailable = true, const std::string& programFolder = ORVANTA3_OUTPUT_DIR) {
        TApplicationCoreOptions options;
        options.ProgramFolder = programFolder;
        options.MirrorsInVirtualDisplay = true;
        options.CallerSaysNoDriver = true;
        core = std::make_unique<TApplicationCore>(options);
        window = std::make_unique<TOrvanta>(
            *core, TOrvantaOptions{.TrayAvailable = [trayAvailable] { return trayAvailable; },
                                   .Ask =
                                       [this](const QString& caption, const QString& text) {
                                           asked.push_back(caption + ": " + text);
                                           return answer;
                                       }});
        shows = std::make_unique<TShowCounter>(*window);
        window->StartUp();
    }

    bool WaitForRow1(const std::string& prefix) {
        return WaitForPanel(
            state, [&](const auto& rows) { return !rows.empty() && rows[0].starts_with(prefix); },
            [] { QTest::qWait(50); });
    }
    bool Running() const { return core->Thread().Running(); }
    void Trigger(const char* item) { window->Tray().Action(item).trigger(); }

    std::unique_ptr<TApplicationCore> core;
    std::unique_ptr<TOrvanta> window;
    std::unique_ptr<TShowCounter> shows;
    std::vector<QString> asked; // the questions the window asked, "caption: text"
    bool answer = false;
};

TEST_F(DesktopWindow, AutoloadedJobRunsInTheTrayWithoutShowingTheWindow) {
    WriteAutoloadSettings();
    WriteJob({"Screen one", "Screen two"});
    Start();
    EXPECT_EQ(window->Mode(), TWindowMode::Hidden);
    EXPECT_TRUE(window->Tray().IsShown());
    EXPECT_TRUE(Running());
    EXPECT_TRUE(WaitForRow1("Screen one"));
    QTest::qWait(100);
    EXPECT_EQ(shows->shows, 0);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(DesktopWindow, AutoloadedEmptyJobStaysHiddenWithoutDisplayThread) {
    WriteAutoloadSettings();
    WriteJob({});
    Start();
    EXPECT_EQ(window->Mode(), TWindowMode::Hidden);
    EXPECT_TRUE(window->Tray().IsShown());
    EXPECT_FALSE(Running());
    EXPECT_EQ(shows->shows, 0);
    // The greeting stays on the panel.
    EXPECT_TRUE(WaitForPanel(state, [](const auto& rows) {
        return rows.size() == 4 && rows[0].find("Hello from") != std::string::npos;
    }));
}

TEST_F(DesktopWindow, MissingAutoloadJobOpensTheEditorWithOneNewScreen) {
    WriteSettings("Autoload job=1\nJob name=" + (docs / "none.orv3") + "\n");
    Start();
    EXPECT_EQ(window->Mode(), TWindowMode::Editing);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->Tray().IsShown());
    EXPECT_FALSE(Running());
    ASSERT_EQ(core->Job().Count(), 1);
    EXPECT_EQ(Cp1251ToUtf8(core->Job().GetName(0)), "экран 1");
    auto* tabs = window->findChild<QTabBar*>("tcJobControl");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("экран 1"));
    EXPECT_GE(window->width(), 686);
    EXPECT_GE(window->height(), 362);
}

// Without a driver the virtual display still shows the job: only when it is off too is the user
// told, in the language of the settings, that nothing will show it, and offered the module list.
// The empty tag tree offers it too.
TEST_F(DesktopWindow, NoDriverIsSaidOnlyWhenTheVirtualDisplayIsOffAndLeadsToTheModules) {
    const auto start = [&](const std::string& common, const char* show) {
        window.reset();
        core.reset();
        ProgramMessages().Reset();
        WriteText(docs / "Orvanta3.ini", "[Common]\nShow splash-screen=0\nUse animation=0\n" +
                                             common + "[Virtual screen]\nShow=" + show + "\n");
        ClearShownMessages();
        asked.clear();
        Start();
    };
    const auto modulesShown = [&] {
        auto* tree = window->findChild<QTreeWidget*>("tvSettings");
        return window->Mode() == TWindowMode::Settings && tree->currentItem() &&
               tree->indexOfTopLevelItem(tree->currentItem()) == 2;
    };
    start("", "1");
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_TRUE(asked.empty());
    ASSERT_NE(window->VirtualDisplay(), nullptr);
    EXPECT_EQ(window->VirtualDisplay()->Screen().TextLines(), 2);

    start("", "0");
    EXPECT_TRUE(ShownMessages().empty());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Предупреждение: "))) << asked[0].toStdString();
    EXPECT_TRUE(asked[0].contains(QStringLiteral("«Модули»"))) << asked[0].toStdString();
    EXPECT_EQ(window->Mode(), TWindowMode::Editing); // "No"
    // Every module is off: the tag tree says where they are switched on and leads there.
    auto* tags = window->findChild<TTagTree*>("tvTags");
    ASSERT_NE(tags, nullptr);
    EXPECT_EQ(tags->topLevelItemCount(), 0);
    EXPECT_TRUE(tags->EmptyHintShown());
    auto* openModules = tags->findChild<QPushButton*>("btnOpenModules");
    ASSERT_NE(openModules, nullptr);
    EXPECT_EQ(openModules->text(), QStringLiteral("Открыть «Модули»"));
    openModules->click();
    EXPECT_TRUE(modulesShown());

    // In English, and "Yes" opens the module list at once.
    answer = true;
    start("Language=English\n", "0");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Warning: "))) << asked[0].toStdString();
    EXPECT_TRUE(asked[0].contains(QStringLiteral("Modules page"))) << asked[0].toStdString();
    EXPECT_TRUE(modulesShown());
    EXPECT_EQ(
        window->findChild<TTagTree*>("tvTags")->findChild<QPushButton*>("btnOpenModules")->text(),
        QStringLiteral("Open Modules"));

    // With a driver and a module on, no question and a filled tree.
    WriteSettings();
    window.reset();
    core.reset();
    asked.clear();
    Start();
    EXPECT_TRUE(asked.empty());
    EXPECT_GT(window->findChild<TTagTree*>("tvTags")->topLevelItemCount(), 0);
    EXPECT_FALSE(window->findChild<TTagTree*>("tvTags")->EmptyHintShown());
}

// A greeting tag whose module is off is left out, not shown by name; the default greeting
// needs the glyph module, which is off here.
TEST_F(DesktopWindow, TheGreetingLeavesOutTagsOfModulesThatAreOff) {
    const std::string panel = "[textport.so]\nActive=1\nLines count=4\nCols count=20\nTiming=0\n";
    WriteText(docs / "Orvanta3.ini",
              "[Common]\nShow splash-screen=0\nStartMsg=A$nosuch[1]$B\n" + panel);
    Start();
    EXPECT_TRUE(WaitForRow1("AB")) << (Rows().empty() ? "" : Rows()[0]);

    window.reset();
    core.reset();
    WriteText(docs / "Orvanta3.ini", "[Common]\nShow splash-screen=0\n" + panel);
    Start();
    QTest::qWait(100);
    for (const std::string& row : Rows()) EXPECT_EQ(row.find("Char"), std::string::npos) << row;
}

// A hint shows at the bottom-right corner of its control, a long one wrapped to 300 pixels; with
// "Show hint" off none shows outside the settings.
TEST_F(DesktopWindow, HintsShowBelowRightOfTheControlAtMost300PixelsWide) {
    WriteSettings("Use animation=0\nShow hint=1\n");
    Start();
    window->move(100, 100);
    window->show();
    QTest::qWait(50);
    auto* button = window->findChild<QWidget*>("btnSettings");
    ASSERT_NE(button, nullptr);
    button->setToolTip(QString("word ").repeated(60).trimmed());
    const auto shownHint = []() -> QWidget* {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "qtooltip_label" && top->isVisible()) return top;
        return nullptr;
    };
    const auto hintOf = [&](QWidget* control) -> QWidget* {
        QToolTip::hideText();
        for (int wait = 0; wait < 100 && shownHint(); ++wait) QTest::qWait(20);
        const QPoint inside = control->rect().center();
        QHelpEvent help(QEvent::ToolTip, inside, control->mapToGlobal(inside));
        QApplication::sendEvent(control, &help);
        QTest::qWait(50);
        return shownHint();
    };
    QWidget* hint = hintOf(button);
    ASSERT_NE(hint, nullptr);
    EXPECT_LE(hint->width(), 300 + 2 * 12);
    EXPECT_GT(hint->height(), 2 * QFontMetrics(QToolTip::font()).height()); // wrapped
    // Left of the corner only as far as the screen's edge needs.
    const QPoint corner = button->mapToGlobal(button->rect().bottomRight());
    const QRect screen = button->screen()->geometry();
    EXPECT_GE(hint->x(), std::min(corner.x(), screen.right() + 1 - hint->width()));
    EXPECT_GE(hint->y(), corner.y());

    core->Settings().Common.ShowHint = false;
    EXPECT_EQ(hintOf(button), nullptr);
}

// Scrolling the settings page over its spin boxes and combo boxes changes none of them; the page
// scrolls. A control with the focus takes the wheel.
TEST_F(DesktopWindow, TheWheelChangesOnlyTheControlWithTheFocus) {
    WriteSettings("Use animation=0\n");
    Start();
    window->resize(700, 380);
    window->show();
    window->OpenSettings();
    auto* longDelay = window->findChild<QSpinBox*>("udLongDelay");
    auto* language = window->findChild<QComboBox*>("cbLanguage");
    ASSERT_NE(longDelay, nullptr);
    ASSERT_NE(language, nullptr);
    auto* scroll = window->findChild<QWidget*>("tsCommon")->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    QTest::qWait(50);
    ASSERT_GT(scroll->verticalScrollBar()->maximum(), 0) << "the page is not taller than its view";
    const int delay = longDelay->value();
    const QString chosen = language->currentText();
    const auto wheelDown = [](QWidget* target) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    };
    wheelDown(longDelay);
    wheelDown(language);
    EXPECT_EQ(longDelay->value(), delay);
    EXPECT_EQ(language->currentText(), chosen);
    EXPECT_GT(scroll->verticalScrollBar()->value(), 0);
    EXPECT_FALSE(longDelay->hasFocus()); // the wheel gives no focus

    window->activateWindow();
    longDelay->setFocus();
    if (longDelay->hasFocus()) { // an offscreen window may not take the focus
        wheelDown(longDelay);
        EXPECT_EQ(longDelay->value(), delay - 1);
    }
}

TEST_F(DesktopWindow, TrayPreviousOnTheFirstScreenGoesToTheLast) {
    WriteAutoloadSettings();
    WriteJob({"Screen one", "Screen two", "Screen three"});
    Start();
    ASSERT_TRUE(WaitForRow1("Screen one"));
    Trigger("mnPrevious");
    EXPECT_TRUE(WaitForRow1("Screen three"));
    EXPECT_EQ(core->Thread().CurrentScreen(), 2);
    Trigger("mnNext");
    EXPECT_TRUE(WaitForRow1("Screen one"));
}

TEST_F(DesktopWindow, EveryWayBackToTheWindowStopsTheDisplayThread) {
    WriteAutoloadSettings();
    WriteJob({"Screen one"});
    Start();
    ASSERT_TRUE(WaitForRow1("Screen one"));

    Trigger("mnSettings");
    EXPECT_FALSE(Running());
    EXPECT_EQ(window->Mode(), TWindowMode::Settings);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->Tray().IsShown());
    EXPECT_FALSE(window->findChild<QWidget*>("btnHide")->isEnabled());
    EXPECT_TRUE(WaitForPanel(state, [](const auto& rows) {
        return !rows.empty() && rows[0].find("Screen") == std::string::npos;
    }));

    // Closing the settings, then hiding again (with the fade of "Use animation").
    window->CloseSettings();
    EXPECT_EQ(window->Mode(), TWindowMode::Editing);
    EXPECT_TRUE(window->findChild<QWidget*>("btnHide")->isEnabled());
    window->findChild<QAbstractButton*>("btnHide")->click();
    EXPECT_TRUE(window->Tray().IsShown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible() && Running(); }, 10000));
    EXPECT_TRUE(WaitForRow1("Screen one"));

    // A double click on the tray icon, as "Редактор задания": the panel is cleared.
    Trigger("mnEditor");
    EXPECT_FALSE(Running());
    EXPECT_EQ(window->Mode(), TWindowMode::Editing);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(WaitForPanel(state, [](const auto& rows) {
        return rows.size() == 4 && rows[0] == std::string(20, ' ');
    }));
}

TEST_F(DesktopWindow, WithoutNotificationAreaHidingMinimises) {
    WriteSettings("Use animation=0\n");
    Start(/*trayAvailable=*/false);
    ASSERT_EQ(window->Mode(), TWindowMode::Editing);
    window->HideToTray();
    EXPECT_EQ(window->Mode(), TWindowMode::Hidden);
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(window->Tray().IsShown());
    EXPECT_TRUE(Running()); // the new screen, empty as it is
    window->Restore();
    EXPECT_FALSE(Running());
    EXPECT_FALSE(window->isMinimized());

    // Where nothing minimises the window (no window manager), it stays on screen while the job
    // runs: nothing in it can be edited, and a click anywhere on it brings the editor back.
    window->HideToTray();
    auto* line = window->findChild<QWidget*>("edLine1");
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->isEnabled());
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, line->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(line, &press);
    EXPECT_EQ(window->Mode(), TWindowMode::Editing);
    EXPECT_FALSE(Running());
    EXPECT_TRUE(line->isEnabled());
    window->findChild<QAbstractButton*>("btnSettings")->click();
    EXPECT_EQ(window->Mode(), TWindowMode::Settings);
}

TEST_F(DesktopWindow, QuitWithoutQuitMessageLeavesThePanelAndSwitchesTheDriverOff) {
    WriteAutoloadSettings("QuitMsg=\n");
    WriteJob({"Screen one"});
    Start();
    ASSERT_TRUE(WaitForRow1("Screen one"));
    ASSERT_TRUE(std::filesystem::exists(LockFile()));
    QSignalSpy closed(window.get(), &TOrvanta::Closed);

    Trigger("mnClose");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(Running());
    EXPECT_TRUE(Rows().at(0).starts_with("Screen one"));
    EXPECT_FALSE(std::filesystem::exists(LockFile())) << "the driver let the panel go";
    EXPECT_FALSE(window->Tray().IsShown());
}

TEST_F(DesktopWindow, QuitWritesTheQuitMessageAndThePosition) {
    WriteSettings("QuitMsg=Good bye!\nQuitMsg line2=see you\n");
    Start();
    window->move(40, 50);
    window->close();
    EXPECT_TRUE(window->Finished());
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[0].starts_with("Good bye!"));
    EXPECT_TRUE(rows[1].starts_with("see you"));
    const std::string ini = ReadText(docs / "Orvanta3.ini");
    EXPECT_NE(ini.find("Left=40"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Top=50"), std::string::npos) << ini;
}

// "Show" of the virtual display: the window mirrors the panel while the job runs; once the user
// has closed it, the main window's next message destroys it, which saves its position.
TEST_F(DesktopWindow, VirtualDisplayMirrorsThePanelUntilTheUserClosesIt) {
    WriteAutoloadSettings();
    WriteJob({"Screen one"});
    AppendSettings("[Virtual screen]\nShow=1\nHoriz. position=33\nVert. position=44\n");
    Start();
    QPointer<TfrmVirtualDisplay> display = window->VirtualDisplay();
    ASSERT_NE(display, nullptr);
    EXPECT_TRUE(display->isVisible());
    EXPECT_EQ(display->Screen().TextLines(), 4);
    EXPECT_EQ(display->Screen().NoOfChars(), 20);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return display->Screen().Caption().starts_with("Screen one"); }, 20000));

    display->move(61, 72);
    display->hide(); // its close button
    Trigger("mnSettings");
    EXPECT_EQ(window->VirtualDisplay(), nullptr);
    EXPECT_TRUE(display.isNull());
    const std::string ini = ReadText(docs / "Orvanta3.ini");
    EXPECT_NE(ini.find("Horiz. position=61"), std::string::npos) << ini;

    // A save with "Show" on brings it back.
    window->SaveSettings();
    ASSERT_NE(window->VirtualDisplay(), nullptr);
    EXPECT_TRUE(window->VirtualDisplay()->isVisible());
}

// The update check at start-up finds a newer version: its two questions are answered, and the
// settings page shows the version found, also when it is filled again.
TEST_F(DesktopWindow, ANewerVersionFoundShowsOnTheSettingsPage) {
    TLoopbackHttpServer server;
    server.Serve("/version.txt", {.Body = "9.9.9.9\nhttp://127.0.0.1/download\n"});
    ::setenv("ORVANTA3_UPDATE_URL", (server.Address() + "/version.txt").c_str(), 1);
    WriteSettings("Use animation=0\n");
    AppendSettings("[INet]\nCheck updates=1\nVer=3.0.7.1\n");
    QStringList captions;
    QPointer<QWidget> last; // null once a box is gone: the next may reuse its address
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == last) return;
        last = box;
        captions << box->windowTitle();
        if (QAbstractButton* no = box->button(QMessageBox::No))
            no->click();
        else
            box->accept();
    });
    poll.start(10);
    Start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return captions.size() == 2; }, 60000)) << captions.size();
    ::unsetenv("ORVANTA3_UPDATE_URL");
    EXPECT_EQ(server.Requests(), 1);

    auto* label = window->findChild<QLabel*>("lblVer");
    ASSERT_NE(label, nullptr);
    const QString found = QString::fromUtf8("Последняя версия: 9.9.9.9");
    window->OpenSettings();
    EXPECT_EQ(label->text(), found);
    window->CloseSettings();
    window->OpenSettings();
    EXPECT_EQ(label->text(), found);
}

// The English section of the shipped Orvanta3.lng, chosen on the settings page and saved.
TEST_F(DesktopWindow, SavingAnotherLanguageChangesTheWindowTexts) {
    WriteSettings("Use animation=0\n");
    AppendSettings("[Virtual screen]\nShow=1\n");
    Start();
    ASSERT_NE(window->VirtualDisplay(), nullptr);
    const QString virtualTitle = window->VirtualDisplay()->windowTitle();
    auto* caption = window->findChild<QLabel*>("LCDCaption");
    QAction& close = window->Tray().Action("mnClose");
    ASSERT_EQ(close.text(), QStringLiteral("Закрыть"));
    window->OpenSettings();
    EXPECT_EQ(caption->text(), QStringLiteral("Orvanta3: настройка..."));

    auto* chooser = window->findChild<QComboBox*>("cbLanguage");
    ASSERT_NE(chooser, nullptr);
    if (chooser->findText("English") < 0) chooser->addItem("English");
    chooser->setCurrentText("English");
    window->findChild<QAbstractButton*>("btnSaveSettings")->click();
    EXPECT_EQ(window->Mode(), TWindowMode::Editing);
    EXPECT_EQ(caption->text(), QStringLiteral("Orvanta3: creating/editing a job..."));
    EXPECT_EQ(close.text(), QStringLiteral("Close"));
    EXPECT_EQ(window->findChild<QAbstractButton*>("btnSettings")->text(),
              QStringLiteral("Settings..."));
    // The settings pages translate with the window.
    EXPECT_EQ(window->findChild<QAbstractButton*>("cbShowHint")->text(),
              QStringLiteral("Show hints"));
    EXPECT_EQ(window->findChild<QAbstractButton*>("btnVirtualScreenCheck")->text(),
              QStringLiteral("Preview"));
    EXPECT_EQ(window->VirtualDisplay()->windowTitle(), QStringLiteral("Orvanta3: virtual display"));
    const auto qtYes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    EXPECT_EQ(qtYes(), QStringLiteral("&Yes"));

    // The built-in Russian is offered as well, and brings back every text, Qt's own too.
    window->OpenSettings();
    ASSERT_GE(chooser->findText(QStringLiteral("Русский")), 0);
    chooser->setCurrentText(QStringLiteral("Русский"));
    window->findChild<QAbstractButton*>("btnSaveSettings")->click();
    EXPECT_EQ(core->Settings().Common.Language, "");
    EXPECT_EQ(caption->text(), QStringLiteral("Orvanta3: создание/редактирование задания..."));
    EXPECT_EQ(close.text(), QStringLiteral("Закрыть"));
    EXPECT_EQ(window->findChild<QAbstractButton*>("cbShowHint")->text(),
              QStringLiteral("Показывать подсказки"));
    EXPECT_EQ(window->VirtualDisplay()->windowTitle(), virtualTitle);
    const bool qtRussianInstalled = std::filesystem::exists(
        QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString() + "/qtbase_ru.qm");
    if (qtRussianInstalled) {
        EXPECT_EQ(qtYes(), QStringLiteral("&Да"));
    }
    window->OpenSettings();
    EXPECT_EQ(chooser->currentText(), QStringLiteral("Русский"));
    chooser->setCurrentText("English");
    window->findChild<QAbstractButton*>("btnSaveSettings")->click();
    EXPECT_EQ(caption->text(), QStringLiteral("Orvanta3: creating/editing a job..."));
    EXPECT_EQ(window->findChild<QAbstractButton*>("cbShowHint")->text(),
              QStringLiteral("Show hints"));
    EXPECT_EQ(qtYes(), QStringLiteral("&Yes"));
}

// Every text with a word in it, of the window, of the two editors it opens and of the messages,
// has an English text in the shipped section, so a control added or moved on a page (which moves
// the keys after it) is noticed. Not the window's title, "Orvanta", which other programs look
// for; nor the virtual display window, translated under keys of its own.
TEST_F(DesktopWindow, TheShippedEnglishSectionCoversEveryTextOfTheWindow) {
    WriteSettings();
    AppendSettings("[Virtual screen]\nShow=1\n");
    Start();
    ASSERT_NE(window->VirtualDisplay(), nullptr);
    const std::string templ = docs / "template.lng";
    ASSERT_TRUE(window->WriteLanguageTemplate(templ));
    const TIniDocument russian = TIniFile(templ).Read();
    ASSERT_GT(russian.Keys("RU").size(), 60u);
    const TIniDocument shipped =
        TIniFile(std::string(ORVANTA3_OUTPUT_DIR) + "/Orvanta3.lng").Read();
    for (const std::string& key : russian.Keys("RU")) {
        const QString text = QString::fromStdString(Cp1251ToUtf8(*russian.Find("RU", key)));
        const auto letters =
            std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
        if (key != "1_1" && letters > 1) {
            const auto english = shipped.Find("English", key);
            EXPECT_TRUE(english) << key << "=" << text.toStdString();
            // A text left in Russian counts as missing.
            if (english) {
                EXPECT_FALSE(
                    std::any_of(english->begin(), english->end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0xC0; }))
                    << key << "=" << *english;
            }
        }
    }
}

// Every text a user sees in a window: its title and, of each control shown, its text,
// tooltip, items, tab and column titles, and the texts it shows only at run time. One line
// each, "where: text" (UTF-8).
std::vector<std::string> VisibleTexts(QWidget& window) {
    std::vector<std::string> texts{"title: " + window.windowTitle().toStdString()};
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    const auto add = [&texts](const QObject* owner, const QString& text) {
        if (!text.isEmpty())
            texts.push_back(owner->metaObject()->className() + (": " + text.toStdString()));
    };
    for (QWidget* w : widgets) {
        if (w != &window && !w->isVisibleTo(&window)) continue;
        add(w, w->toolTip());
        if (auto* label = qobject_cast<QLabel*>(w)) add(w, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w)) add(w, button->text());
        if (auto* box = qobject_cast<QGroupBox*>(w)) add(w, box->title());
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int j = 0; j < combo->count(); ++j) add(w, combo->itemText(j));
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int j = 0; j < tabs->count(); ++j) add(w, tabs->tabText(j));
        if (auto* table = qobject_cast<QTableWidget*>(w))
            for (int j = 0; j < table->columnCount(); ++j)
                if (auto* header = table->horizontalHeaderItem(j)) add(w, header->text());
        if (auto* tree = qobject_cast<QTreeWidget*>(w))
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                add(w, (*it)->text(0));
                add(w, (*it)->data(0, Qt::UserRole).toString()); // the tag hint
            }
    }
    for (const QObject* child : window.children())
        if (const QVariant text = child->property(kRunTimeTextProperty); text.isValid())
            add(child, text.toString());
    return texts;
}

bool HasCyrillic(const std::string& utf8) {
    const QString text = QString::fromStdString(utf8);
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x400 && c.unicode() < 0x500; });
}

// The language walk through what the plug-ins show: the tag tree of every shipped data module
// and the settings dialog of every shipped module and driver. Russian first, then English with
// no Cyrillic left, then Russian and English again, each exactly as the first time.
TEST_F(DesktopWindow, EveryPluginDialogAndTheTagTreeFollowTheLanguage) {
    WriteSettings("Use animation=0\n");
    // Every shipped data module on; the internet modules go to a loopback port where nothing
    // listens, the other drivers to devices that do not exist.
    const std::map<std::string, std::string> keys{{"headlines.so", "Hard address=\n"},
                                                  {"postwatch.so", "Server=\n"}};
    std::string sections = "[Weather]\nServer=http://127.0.0.1:9\n[lcdd.so]\nPort=9\n"
                           "[i2cpanel.so]\nBus=/nonexistent\n[serialpanel.so]\n"
                           "Device=/nonexistent\n";
    const std::filesystem::path software = std::string(ORVANTA3_OUTPUT_DIR) + "/plugins/software";
    for (const auto& file : std::filesystem::directory_iterator(software))
        if (const std::string name = file.path().filename().string(); name.ends_with(".so"))
            sections += "[" + name + "]\nActive=1\n" + (keys.contains(name) ? keys.at(name) : "");
    AppendSettings(sections);
    ::setenv("XDG_CACHE_HOME", (docs / "cache").c_str(), 1);
    Start();
    auto* tree = window->findChild<TTagTree*>();
    ASSERT_NE(tree, nullptr);

    // What each plug-in shows, by library file name ("" the tag tree).
    const auto walk = [&] {
        std::map<std::string, std::vector<std::string>> shown{{"", VisibleTexts(*tree)}};
        TModuleHost& host = core->Host();
        for (size_t i = 0; i < host.Modules().size(); ++i) {
            const std::string name = host.Module(i).FileName;
            if (host.Module(i).Kind() == TModuleKind::Driver) host.TurnOn(i);
            if (!host.CanConfigure(i)) continue;
            WhileModal([&] { host.Configure(i); },
                       [&](QWidget& dialog) {
                           shown[name] = VisibleTexts(dialog);
                           static_cast<QDialog&>(dialog).reject();
                       });
        }
        return shown;
    };
    const auto choose = [&](const QString& language) {
        window->OpenSettings();
        auto* chooser = window->findChild<QComboBox*>("cbLanguage");
        if (chooser->findText(language) < 0) chooser->addItem(language);
        chooser->setCurrentText(language);
        window->findChild<QAbstractButton*>("btnSaveSettings")->click();
    };

    // A tag's hint chosen in the tree shows below it; another language does not leave it.
    auto* hint = window->findChild<QPlainTextEdit*>("mmTagHelp");
    ASSERT_NE(hint, nullptr);
    tree->expandAll();
    emit tree->itemClicked(tree->topLevelItem(0)->child(0), 0);
    EXPECT_FALSE(hint->toPlainText().isEmpty());
    const auto russian = walk();
    for (const char* plugin :
         {"skycast.so", "postwatch.so", "valuetap.so", "headlines.so", "sensorlink.so",
          "textport.so", "graphport.so", "lcdd.so", "i2cpanel.so", "serialpanel.so"})
        EXPECT_TRUE(russian.contains(plugin)) << plugin << "'s dialog was opened";
    EXPECT_GT(russian.at("").size(), 30);
    choose("English");
    const auto english = walk();
    EXPECT_FALSE(HasCyrillic(hint->toPlainText().toStdString()))
        << hint->toPlainText().toStdString();
    for (const auto& [plugin, texts] : english)
        for (const std::string& text : texts)
            EXPECT_FALSE(HasCyrillic(text))
                << (plugin.empty() ? "tag tree" : plugin) << " " << text;
    choose(QStringLiteral("Русский"));
    for (const auto& [plugin, texts] : walk()) EXPECT_EQ(texts, russian.at(plugin)) << plugin;
    choose("English");
    for (const auto& [plugin, texts] : walk()) EXPECT_EQ(texts, english.at(plugin)) << plugin;
}

TEST_F(DesktopWindow, TheLanguageOfTheSettingsAppliesAtStartUp) {
    WriteSettings("Language=English\n");
    Start();
    EXPECT_EQ(window->findChild<QLabel*>("LCDCaption")->text(),
              QStringLiteral("Orvanta3: creating/editing a job..."));
    EXPECT_EQ(window->Tray().Action("mnNext").text(), QStringLiteral("Next"));
    EXPECT_EQ(Cp1251ToUtf8(core->Job().GetName(0)), "screen 1");
}

// Modules that throw, built the ordinary way or as our plug-ins are: each is reported once,
// whatever throws later (GetValue on every tick, the settings dialogs), and the job runs on.
TEST_F(DesktopWindow, ModulesThatThrowAreReportedOnceAndTheJobRunsOn) {
    for (const std::string flavour : {"throwing_plain", "throwing_glue"}) {
        SCOPED_TRACE(flavour);
        window.reset();
        core.reset();
        const std::string program = docs / flavour;
        AddThrowingPlugins(program, flavour);
        WriteText(docs / "Orvanta3.ini",
                  "[Common]\nShow splash-screen=0\nBase timeout=50\nAutoload job=1\nJob name=" +
                      JobPath() +
                      "\n[driver.so]\nActive=1\n[initthrows.so]\nActive=1\n"
                      "[throwing.so]\nActive=1\n");
        WriteText(JobPath(), "[One]\nTimeout=0\nLine1=v=$boom[,,,4]$\nShow=1\n");
        ClearShownMessages();
        Start(true, program);
        ASSERT_TRUE(Running());

        const auto count = [](const std::string& text) {
            const auto shown = ShownMessages();
            return std::count_if(shown.begin(), shown.end(), [&](const TShownMessage& message) {
                return message.text.find(text) != std::string::npos;
            });
        };
        EXPECT_TRUE(WaitUntil([&] { return count("throwing.so: GetValue failed") == 1; },
                              std::chrono::seconds(30)));
        // The settings dialogs of the data module and of both drivers throw as well.
        for (size_t i = 0; i < core->Host().Modules().size(); ++i)
            if (core->Host().CanConfigure(i)) core->Host().Configure(i);
        QTest::qWait(300);
        EXPECT_TRUE(Running());
        EXPECT_EQ(count("throwing.so: "), 1);
        EXPECT_EQ(count("initthrows.so: Init failed (fixture Init failure)"), 1);
        EXPECT_EQ(count("driver.so: "), 1);
        EXPECT_EQ(count("fixture DefineChar failure") + count("fixture WriteText failure"), 1);
    }
}

} // namespace
} // namespace orv::test
