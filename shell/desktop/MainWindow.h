// TOrvanta, the main window: its three states (editing, settings, hidden in the tray), the
// start-up steps that follow module discovery, the way between the states and the shutdown.
// The display thread runs only while the window is hidden; every way back to a shown window
// stops it first.
#pragma once

#include "appcore/ApplicationCore.h"
#include "appcore/web/WebCore.h"
#include "shell/editor/JobEditor.h"
#include "shell/desktop/GuiThreadCalls.h"
#include "shell/desktop/TrayIcon.h"
#include "virtual/VirtualDisplayFeed.h"
#include "virtual/VirtualDisplayWindow.h"

#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace orv {

class TSettingsPage;

enum class TWindowMode { Starting, Editing, Settings, Hidden };

// Called with the text of each start-up step (UTF-8).
using TStartupProgress = std::function<void(std::string_view)>;

struct TOrvantaOptions {
    // Whether the desktop has a notification area; empty: ask Qt. Without one, hiding
    // minimises the window.
    std::function<bool()> TrayAvailable;
    // "/create_lang_file": write the window's texts and the messages into the language file
    // instead of translating.
    bool WriteLanguageTemplate = false;
    // Asks a yes/no question (caption, text); empty: a message box.
    std::function<bool(const QString&, const QString&)> Ask;
};

class TOrvanta final : public QWidget {
    Q_OBJECT
public:
    explicit TOrvanta(TApplicationCore& core, TOrvantaOptions options = {});
    ~TOrvanta() override;

    // Start-up from the settings to the first state: modules, virtual display, greeting,
    // position, language, then the job named by "Autoload job" hidden in the tray, or the
    // editing state with one new screen. A quit asked for meanwhile runs at the end.
    void StartUp(const TStartupProgress& progress = {});

    TWindowMode Mode() const { return mode_; }
    // The template switch's file: the texts of this window, of the two editors it opens and the
    // messages, under section "RU". False when the file could not be written.
    bool WriteLanguageTemplate(const std::string& lngPath);
    // The template switch for the plug-ins that are on: each settings dialog writes its texts
    // into its plug-in's language file when it opens, and is closed again at once.
    void WritePluginDialogTemplates();
    TTrayIcon& Tray() { return *tray_; }
    bool Finished() const { return finished_; }

    // The virtual display window; null until it is first shown and after the main window's
    // next message found it closed.
    TfrmVirtualDisplay* VirtualDisplay() const { return virtualDisplay_; }
    TJobEditor& Editor() { return *editor_; }
    // The settings and a job read again (path; empty: the settings' job), for the web
    // interface and the session bus; the editor then shows that job. Refused while the editor
    // has unsaved edits, which the reload would drop: false and the reason.
    bool ReloadJob(const std::string& path, std::string& reason);
    // Creates the window when there is none, gives it the panel's geometry and look (colours
    // and dot sizes), keeps it above other windows and shows it: at start-up with "Show", from
    // the settings page's "Посмотреть" with the page's choices, after a save with "Show" on.
    TfrmVirtualDisplay& ShowVirtualDisplay(const TVirtualScreenSettings& look);

public slots:
    void HideToTray();   // btnHide
    void Restore();      // "Редактор задания", a double click on the tray icon
    void OpenSettings(); // btnSettings
    // The settings on the module list, from any state but start-up.
    void OpenModules();
    void CloseSettings(); // btnCloseSettings
    void SaveSettings();  // btnSaveSettings: the page saves, then SettingsSaved
    // btnClose, "Закрыть", SIGTERM and SIGINT, the end of the session: the window position, the
    // quit message, the release of every module; then Closed.
    void Quit();

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void SetMode(TWindowMode mode);
    void SettingsSaved();
    // Before the window writes its own text on the panel: a virtual display the user has
    // closed is destroyed, and the text goes only to the panel.
    void DropClosedVirtualDisplay();
    // A virtual display without a stored position goes beside this window, and follows it
    // while it settles (the window manager places it when first shown) until the user moves
    // the display. A stored position is kept, moved onto the screen when it lies outside.
    void PlaceNewVirtualDisplay();
    void PlaceVirtualDisplayBeside();
    void FollowWithVirtualDisplay();
    void ShowPanelText(const std::string& text);
    void ClearPanel();
    void ShowInTrayOrMinimised();
    void StartDisplayIfJobHasScreens();
    // No driver is active: says so in the user's language; true when the user asks for the
    // module list.
    bool AskToOpenModules();
    // The editor's lines for the panel's rows, and the window's height for them.
    void FitEditorToPanel();
    void PreviewSwitched(bool running);
    // The program is about to end at the user's request: false when unsaved edits are to stay.
    bool MayClose();
    void LoadAutoloadJob();
    void LayOutPanels();
    void FadeTo(qreal opacity, const std::function<void()>& then);
    void RollPanel(QWidget& panel, const QRect& from, const QRect& to, int durationMs,
                   const std::function<void()>& then);
    // Orvanta3.lng beside the program (the core's program folder).
    std::string LanguagePath() const;
    // "Language" of the settings applied to the window's texts and the program's messages.
    void ApplyLanguage();
    bool UseAnimation() const { return core_.Settings().Common.UseAnimation; }
    bool TrayAvailable() const;

    TApplicationCore& core_;
    TOrvantaOptions options_;
    TWindowMode mode_ = TWindowMode::Starting;
    bool quitRequested_ = false;
    bool finished_ = false;

    QLabel* lblCaption_;
    QToolButton* btnHide_;
    QToolButton* btnClose_;
    QPushButton* btnSaveSettings_;
    QPushButton* btnCloseSettings_;
    QWidget* pnClient_;
    TJobEditor* pnMain_;
    TJobEditor* editor_;
    QWidget* pnSettings_;
    TSettingsPage* settingsPage_ = nullptr; // the settings state's tree and pages
    TTrayIcon* tray_;
    std::unique_ptr<TVirtualDisplayFeed> feed_;
    std::unique_ptr<TWebInterface> web_; // while [Web] Active=1
    TGuiThreadCalls webCalls_{this};     // its reads and reloads of the core
    QPointer<TfrmVirtualDisplay> virtualDisplay_;
    std::optional<QPoint> virtualDisplayPlacedAt_; // where it was put beside this window
    QPropertyAnimation* fade_;
    QPropertyAnimation* roll_;
    std::function<void()> fadeDone_;
    std::function<void()> rollDone_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace orv
