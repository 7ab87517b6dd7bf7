#include "shell/desktop/MainWindow.h"

#include "base/ui/PlaceBeside.h"
#include "base/ui/QtCp1251.h"
#include "base/Cp1251.h"
#include "base/MessageBox.h"
#include "base/LanguageFile.h"
#include "host/ProgramMessages.h"
#include "shell/desktop/Artwork.h"
#include "shell/editor/JobPreview.h"
#include "shell/equation/EquationDialog.h"
#include "base/ui/QtTranslations.h"
#include "base/ui/WheelNeedsFocus.h"
#include "base/ui/WindowLanguage.h"
#include "shell/remote/RemoteDBusService.h"
#include "shell/settings/SettingsPage.h"
#include "shell/update/ui/UpdateNotifier.h"
#include "virtual/ui/CharBuilderDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdio>

namespace orv {

namespace {

constexpr int kMinWidth = 686;
constexpr int kMinHeight = 362;
constexpr int kTallMinHeight = 446; // for eight lines
constexpr int kFadeMs = 500;
constexpr int kCollapseMs = 200;
constexpr int kUnrollMs = 100;
constexpr int kTipWidth = 300;

QToolButton* CaptionButton(QWidget* parent, const char* name, const QString& text,
                           const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFixedSize(24, 22);
    return button;
}

} // namespace

TOrvanta::TOrvanta(TApplicationCore& core, TOrvantaOptions options)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), core_(core),
      options_(std::move(options)) {
    setObjectName("Orvanta");
    setWindowTitle(QStringLiteral("Orvanta"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(kMinWidth, kMinHeight);
    resize(760, 420);
    // The tray menu first: the keys of the language file follow creation order, and the
    // settings page, created last, leaves the keys before it as they are.
    tray_ = new TTrayIcon(*this);
    BuildControls();
    core_.SetFrameSink(feed_.get());
    core_.SetCustomCharObserver(feed_.get());
    connect(tray_, &TTrayIcon::NextScreen, this, [this] { core_.Next(); });
    connect(tray_, &TTrayIcon::PreviousScreen, this, [this] { core_.Previous(); });
    connect(tray_, &TTrayIcon::Editor, this, &TOrvanta::Restore);
    connect(tray_, &TTrayIcon::Settings, this, [this] {
        Restore();
        OpenSettings();
    });
    connect(tray_, &TTrayIcon::CloseProgram, this, [this] {
        if (!MayClose()) return;
        core_.StopDisplay();
        Quit();
    });

    fade_ = new QPropertyAnimation(this, "windowOpacity", this);
    connect(fade_, &QPropertyAnimation::finished, this, [this] {
        if (auto done = std::exchange(fadeDone_, {})) done();
    });
    roll_ = new QPropertyAnimation(this);
    roll_->setPropertyName("geometry");
    connect(roll_, &QPropertyAnimation::finished, this, [this] {
        if (auto done = std::exchange(rollDone_, {})) done();
    });
    qApp->installEventFilter(this);
    new TWheelNeedsFocus(this);
}

TOrvanta::~TOrvanta() {
    qApp->removeEventFilter(this);
    Quit();
    core_.SetFrameSink(nullptr);
    core_.SetCustomCharObserver(nullptr);
}

void TOrvanta::BuildControls() {
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xE3, 0xDF, 0xC6));
    setPalette(palette);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 4, 6, 6);
    outer->setSpacing(4);

    auto* caption = new QHBoxLayout;
    lblCaption_ = new QLabel(QStringLiteral("Orvanta3 started."), this);
    lblCaption_->setObjectName("LCDCaption");
    QFont bold = lblCaption_->font();
    bold.setBold(true);
    lblCaption_->setFont(bold);
    caption->addWidget(lblCaption_, 1);
    btnSaveSettings_ = new QPushButton(QStringLiteral("Сохранить"), this);
    btnSaveSettings_->setObjectName("btnSaveSettings");
    btnCloseSettings_ = new QPushButton(QStringLiteral("Закрыть настройку"), this);
    btnCloseSettings_->setObjectName("btnCloseSettings");
    btnSaveSettings_->hide();
    btnCloseSettings_->hide();
    caption->addWidget(btnSaveSettings_);
    caption->addWidget(btnCloseSettings_);
    btnHide_ = CaptionButton(this, "btnHide", QStringLiteral("_"),
                             QStringLiteral("Спрятать окно и запустить задание"));
    btnClose_ =
        CaptionButton(this, "btnClose", QStringLiteral("X"), QStringLiteral("Закрыть программу"));
    caption->addWidget(btnHide_);
    caption->addWidget(btnClose_);
    outer->addLayout(caption);

    // The two panels share the client area; their geometry is set by hand so that they can roll.
    pnClient_ = new QWidget(this);
    pnClient_->setObjectName("pnClient");
    outer->addWidget(pnClient_, 1);

    feed_ = std::make_unique<TVirtualDisplayFeed>();
    pnMain_ = editor_ = new TJobEditor(core_, feed_.get(), pnClient_);

    pnSettings_ = new QWidget(pnClient_);
    pnSettings_->setObjectName("pnSettings");
    auto* settingsLayout = new QVBoxLayout(pnSettings_);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    settingsPage_ = new TSettingsPage(core_, pnSettings_);
    settingsLayout->addWidget(settingsPage_);
    pnSettings_->hide();
    connect(settingsPage_, &TSettingsPage::Saved, this, &TOrvanta::SettingsSaved);
    connect(settingsPage_, &TSettingsPage::VirtualScreenShown, this, [this](bool show) {
        if (virtualDisplay_) virtualDisplay_->setVisible(show);
    });
    connect(settingsPage_, &TSettingsPage::VirtualScreenPreview, this,
            [this](const TVirtualScreenSettings& look) { ShowVirtualDisplay(look); });
    connect(settingsPage_, &TSettingsPage::DriverChanged, this, [this] {
        if (virtualDisplay_) virtualDisplay_->SetGeometry(core_.Rows(), core_.Cols());
        FitEditorToPanel();
    });

    connect(btnHide_, &QToolButton::clicked, this, &TOrvanta::HideToTray);
    connect(btnClose_, &QToolButton::clicked, this, &TOrvanta::close);
    connect(editor_, &TJobEditor::SettingsRequested, this, &TOrvanta::OpenSettings);
    connect(editor_, &TJobEditor::ModulesRequested, this, &TOrvanta::OpenModules);
    connect(editor_, &TJobEditor::AboutRequested, this, [this] {
        QMessageBox::about(this, QStringLiteral("Orvanta3"),
                           QStringLiteral("Orvanta3\nv. " ORVANTA3_VERSION));
    });
    connect(editor_, &TJobEditor::PreviewSwitched, this, &TOrvanta::PreviewSwitched);
    editor_->Options().EditTag = [this](QWidget* parent,
                                        const QString& tag) -> std::optional<QString> {
        TfrmEquation dialog(Utf8ToCp1251(tag.toStdString()), core_.Catalogue(), parent);
        dialog.ApplyLanguage(core_.Settings().Common.Language, LanguagePath());
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return FromCp1251(dialog.TagText());
    };
    connect(btnSaveSettings_, &QPushButton::clicked, this, &TOrvanta::SaveSettings);
    connect(btnCloseSettings_, &QPushButton::clicked, this, &TOrvanta::CloseSettings);
}

bool TOrvanta::TrayAvailable() const {
    return options_.TrayAvailable ? options_.TrayAvailable()
                                  : QSystemTrayIcon::isSystemTrayAvailable();
}

void TOrvanta::StartUp(const TStartupProgress& progress) {
    auto step = [&](std::string_view text) {
        if (progress) progress(text);
    };
    core_.StartModules(step);
    FitEditorToPanel();
    if (core_.Settings().VirtualScreen.Show) {
        step("Orvanta3 starting: initializing virtual screen...");
        ShowVirtualDisplay(core_.Settings().VirtualScreen);
    }
    step("Orvanta3 starting: building tags tree...");
    editor_->RebuildTagTree();
    core_.ShowGreeting();
    // Other programs steer the screens through the session bus from before the job runs.
    new TRemoteDBusService(
        core_, [this](std::string& reason) { return ReloadJob({}, reason); }, this);
    // The web interface, when the settings switch it on.
    if (const TWebSettings web = ReadWebSettings(core_.Settings().Path()); web.Active) {
        web_ = std::make_unique<TWebInterface>(core_);
        // The core changes on this thread: the server's reads and reloads wait for it.
        web_->SetCoreAccess(
            [this] {
                return webCalls_.Run([this] {
                    std::string reason;
                    if (ReloadJob(core_.LoadedJobPath(), reason) && web_) web_->JobChanged();
                    return reason;
                });
            },
            [this](const std::function<std::string()>& read) { return webCalls_.Run(read); });
        if (!web_->Start(web)) {
            ShowMessage(Utf8ToCp1251("Web interface: " + web_->Error()), "Warning", mbWarning);
            web_.reset();
        }
    }

    step("Orvanta3 starting: init controls...");
    core_.Settings().ReadPosition();
    const TWindowPosition& position = core_.Settings().Position;
    if (position.Left && position.Top) move(*position.Left, *position.Top);
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(192, 220, 192));
    QToolTip::setPalette(tips);

    if (options_.WriteLanguageTemplate) {
        WriteLanguageTemplate(LanguagePath());
        WritePluginDialogTemplates();
    } else {
        ApplyLanguage();
    }
    const bool openModules = !core_.NoDriverMessage().empty() && AskToOpenModules();

    const std::string jobPath = core_.SettingsJobPath();
    if (core_.Settings().Common.AutoloadJob && !jobPath.empty() &&
        QFileInfo::exists(QString::fromStdString(jobPath))) {
        step("Orvanta3 starting: loading autojob...");
        LoadAutoloadJob();
    } else {
        editor_->StartNewJob();
        SetMode(TWindowMode::Editing);
        show();
    }
    if (core_.Settings().INet.CheckUpdates) {
        TInetCheckOptions check;
        check.SettingsPath = core_.Settings().Path();
        check.INet = core_.Settings().INet;
        auto* notifier = new TUpdateNotifier(check, this);
        connect(notifier, &TUpdateNotifier::VersionLabelChanged, settingsPage_,
                &TSettingsPage::ShowVersionLabel);
        notifier->Start();
    }
    step(kStartedText);
    if (std::exchange(quitRequested_, false))
        Quit();
    else if (openModules)
        OpenModules();
}

bool TOrvanta::AskToOpenModules() {
    std::fputs((core_.NoDriverMessage() + "\n").c_str(), stderr);
    const QString caption = FromCp1251(Message(msgWarningCaption));
    const QString question = FromCp1251(Message(msgNoDriverQuestion));
    if (options_.Ask) return options_.Ask(caption, question);
    return QMessageBox::warning(nullptr, caption, question, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) == QMessageBox::Yes;
}

void TOrvanta::OpenModules() {
    if (mode_ == TWindowMode::Starting || finished_) return;
    Restore();
    if (mode_ == TWindowMode::Editing) OpenSettings();
    if (mode_ == TWindowMode::Settings) settingsPage_->ShowModules();
}

bool TOrvanta::WriteLanguageTemplate(const std::string& lngPath) {
    bool written = WriteWindowLanguageTemplate(*this, "1_", lngPath);
    // The editors the window opens have keys of their own.
    TfrmEquation equation("", core_.Catalogue(), this);
    written = AddWindowLanguageTemplate(equation, "2_", lngPath) && written;
    TfrmCharBuilder charBuilder(this);
    written = AddWindowLanguageTemplate(charBuilder, "6_", lngPath) && written;
    return ProgramMessages().WriteTemplate(lngPath) && written;
}

void TOrvanta::WritePluginDialogTemplates() {
    QTimer closer;
    connect(&closer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    closer.start(0);
    TModuleHost& host = core_.Host();
    for (size_t i = 0; i < host.Modules().size(); ++i)
        if (host.CanConfigure(i)) host.Configure(i);
}

bool TOrvanta::ReloadJob(const std::string& path, std::string& reason) {
    if (editor_->Modified()) {
        reason = "the job editor has unsaved changes";
        return false;
    }
    if (!core_.Reload(path, &reason)) return false;
    editor_->JobLoaded(QString::fromStdString(core_.LoadedJobPath()));
    return true;
}

void TOrvanta::LoadAutoloadJob() {
    core_.LoadJob(core_.SettingsJobPath());
    editor_->JobLoaded(QString::fromStdString(core_.SettingsJobPath()));
    SetMode(TWindowMode::Hidden);
    ShowInTrayOrMinimised();
    core_.StartJob();
}

std::string TOrvanta::LanguagePath() const {
    const std::string& folder = core_.Host().Options().ProgramFolder;
    return folder.empty() ? MainLanguagePath() : folder + "/" + std::string(kMainLanguageFileName);
}

void TOrvanta::ApplyLanguage() {
    const std::string& language = core_.Settings().Common.Language;
    UseQtTranslations(language);
    ApplyWindowLanguage(*this, "1_", language, LanguagePath());
    if (virtualDisplay_) ApplyWindowLanguage(*virtualDisplay_, "3_", language, LanguagePath());
    ProgramMessages().Reset(); // the way back to the built-in texts
    ProgramMessages().Apply(LanguagePath(), language);
    SetMode(mode_);
    editor_->ShowMessages();
}

void TOrvanta::FitEditorToPanel() {
    editor_->SetPanelRows(core_.Rows());
    const int height = editor_->ShownLines() > 7 ? kTallMinHeight : kMinHeight;
    setMinimumHeight(height);
    if (this->height() < height) resize(width(), height);
}

// The preview keeps the window where it is: no hiding, no closing while it runs.
void TOrvanta::PreviewSwitched(bool running) {
    btnClose_->setEnabled(!running);
    if (running) {
        btnHide_->setEnabled(false);
        lblCaption_->setText(FromCp1251(Message(msgPreviewMode)));
    } else if (mode_ == TWindowMode::Editing) {
        btnHide_->setEnabled(true);
        SetMode(mode_);
    }
}

bool TOrvanta::MayClose() {
    return mode_ == TWindowMode::Starting || finished_ || editor_->ConfirmDiscard();
}

void TOrvanta::SetMode(TWindowMode mode) {
    mode_ = mode;
    switch (mode) {
    case TWindowMode::Editing: lblCaption_->setText(FromCp1251(Message(msgEditMode))); break;
    case TWindowMode::Settings: lblCaption_->setText(FromCp1251(Message(msgSettingsMode))); break;
    case TWindowMode::Starting:
    case TWindowMode::Hidden: break;
    }
}

TfrmVirtualDisplay& TOrvanta::ShowVirtualDisplay(const TVirtualScreenSettings& look) {
    const bool created = !virtualDisplay_;
    if (created) {
        virtualDisplay_ = new TfrmVirtualDisplay(
            core_.Settings(), [this](TNavigationRequest request) { core_.Navigate(request); }, this,
            LanguagePath());
        feed_->SetDisplay(virtualDisplay_);
    }
    virtualDisplay_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    virtualDisplay_->SetGeometry(core_.Rows(), core_.Cols());
    virtualDisplay_->ApplySettings(look);
    if (created) PlaceNewVirtualDisplay();
    virtualDisplay_->show();
    return *virtualDisplay_;
}

void TOrvanta::PlaceNewVirtualDisplay() {
    virtualDisplayPlacedAt_.reset();
    if (!core_.Settings().VirtualScreenPositionStored()) return PlaceVirtualDisplayBeside();
    const QScreen* screen = QGuiApplication::screenAt(virtualDisplay_->pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen)
        virtualDisplay_->move(KeepInside(virtualDisplay_->pos(), virtualDisplay_->size(),
                                         screen->availableGeometry()));
}

void TOrvanta::PlaceVirtualDisplayBeside() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!virtualDisplay_ || !screen) return;
    // Room for the frames the window manager may add around either window.
    constexpr int kGap = 12;
    virtualDisplayPlacedAt_ =
        PlaceBeside(frameGeometry(), virtualDisplay_->size(), screen->availableGeometry(), kGap);
    virtualDisplay_->move(*virtualDisplayPlacedAt_);
}

void TOrvanta::FollowWithVirtualDisplay() {
    if (!virtualDisplayPlacedAt_) return;
    if (virtualDisplay_ && virtualDisplay_->pos() == *virtualDisplayPlacedAt_)
        PlaceVirtualDisplayBeside();
    else
        virtualDisplayPlacedAt_.reset(); // the user has given it a place
}

void TOrvanta::DropClosedVirtualDisplay() {
    if (!virtualDisplay_ || virtualDisplay_->isVisible()) return;
    feed_->SetDisplay(nullptr);
    delete virtualDisplay_; // writes its position
}

void TOrvanta::ShowPanelText(const std::string& text) {
    DropClosedVirtualDisplay();
    core_.ShowPanelText(text);
}

void TOrvanta::ClearPanel() {
    DropClosedVirtualDisplay();
    core_.ClearPanel();
}

// Hidden: the tray icon, or a minimised window where the desktop has no notification area.
void TOrvanta::ShowInTrayOrMinimised() {
    if (TrayAvailable()) {
        tray_->Show();
        hide();
    } else {
        // Without a window manager the window stays on screen: it shows the job runs (nothing
        // in it can be edited now) and a click on it is the way back.
        pnClient_->setEnabled(false);
        showMinimized();
    }
}

void TOrvanta::StartDisplayIfJobHasScreens() {
    if (core_.Job().Count() > 0) core_.StartDisplay();
}

void TOrvanta::HideToTray() {
    if (mode_ != TWindowMode::Editing) return;
    SetMode(TWindowMode::Hidden);
    auto hideAndRun = [this] {
        ShowInTrayOrMinimised();
        setWindowOpacity(1.0);
        StartDisplayIfJobHasScreens();
    };
    if (TrayAvailable()) tray_->Show();
    if (UseAnimation() && isVisible() && TrayAvailable())
        FadeTo(0.0, hideAndRun);
    else
        hideAndRun();
}

void TOrvanta::Restore() {
    if (mode_ != TWindowMode::Hidden) {
        if (isMinimized()) showNormal();
        raise();
        activateWindow();
        return;
    }
    fade_->stop();
    fadeDone_ = {};
    pnClient_->setEnabled(true);
    core_.StopDisplay();
    ClearPanel();
    SetMode(TWindowMode::Editing);
    if (UseAnimation()) {
        setWindowOpacity(0.0);
        showNormal();
        FadeTo(1.0, {});
    } else {
        showNormal();
    }
    raise();
    activateWindow();
    tray_->Hide();
}

void TOrvanta::OpenSettings() {
    if (mode_ != TWindowMode::Editing) return;
    editor_->StoreScreen();
    editor_->EndPreview();
    core_.StopScreenSaverListener();
    settingsPage_->Fill();
    ShowPanelText(Message(msgSettingsPanel));
    SetMode(TWindowMode::Settings);
    pnSettings_->setGeometry(pnClient_->rect());
    pnSettings_->show();
    if (UseAnimation()) {
        const QRect full = pnClient_->rect();
        const QRect centre(full.left(), full.center().y(), full.width(), 0);
        RollPanel(*pnMain_, full, centre, kCollapseMs, [this] { pnMain_->hide(); });
    } else {
        pnMain_->hide();
    }
    btnSaveSettings_->show();
    btnCloseSettings_->show();
    btnHide_->setEnabled(false);
}

void TOrvanta::CloseSettings() {
    if (mode_ != TWindowMode::Settings) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    editor_->RebuildTagTree();
    FitEditorToPanel();
    ClearPanel();
    roll_->stop();
    rollDone_ = {};
    // Only one panel shows now; no raise(): it would reorder the window's controls, and with
    // them the keys of the language file.
    pnSettings_->hide();
    pnMain_->show();
    if (UseAnimation()) {
        const QRect full = pnClient_->rect();
        RollPanel(*pnMain_, QRect(full.topLeft(), QSize(0, full.height())), full, kUnrollMs, {});
    } else {
        pnMain_->setGeometry(pnClient_->rect());
    }
    SetMode(TWindowMode::Editing);
    btnSaveSettings_->hide();
    btnCloseSettings_->hide();
    btnHide_->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void TOrvanta::SaveSettings() {
    if (mode_ == TWindowMode::Settings) settingsPage_->Save();
}

// The page has written the settings and started a fresh screen-saver listener.
void TOrvanta::SettingsSaved() {
    ApplyLanguage();
    settingsPage_->ShowNodeTexts();
    if (core_.Settings().VirtualScreen.Show && !virtualDisplay_)
        ShowVirtualDisplay(core_.Settings().VirtualScreen);
    CloseSettings();
}

void TOrvanta::Quit() {
    if (mode_ == TWindowMode::Starting) {
        // Start-up ends first; a message box it shows (no driver, say) goes at once.
        quitRequested_ = true;
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        return;
    }
    if (finished_) return;
    finished_ = true;
    editor_->Preview().Stop(); // no pass after the modules are released
    fade_->stop();
    roll_->stop();
    const QRect frame = frameGeometry();
    core_.Settings().SavePosition(frame.top(), frame.left(), width(), height());
    webCalls_.Stop(); // the server's waiting calls end, so that it can stop
    web_.reset();     // no request reaches the core after its shutdown
    core_.Shutdown();
    feed_->SetDisplay(nullptr);
    delete virtualDisplay_; // writes its position
    tray_->Hide();
    hide();
    emit Closed();
}

void TOrvanta::closeEvent(QCloseEvent* event) {
    if (!MayClose()) {
        event->ignore();
        return;
    }
    event->accept();
    Quit();
}

// Without a notification area the hidden program is a minimised window: bringing it back is the
// way back to editing.
void TOrvanta::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && mode_ == TWindowMode::Hidden &&
        !tray_->IsShown() && !isMinimized() && isVisible())
        QMetaObject::invokeMethod(this, &TOrvanta::Restore, Qt::QueuedConnection);
}

// The window has no caption: a press on any free spot drags it.
void TOrvanta::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    if (mode_ == TWindowMode::Hidden && !tray_->IsShown())
        return Restore(); // a hidden window still on screen (no window manager)
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TOrvanta::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - dragOffset_);
}

void TOrvanta::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void TOrvanta::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutPanels();
    FollowWithVirtualDisplay();
}

void TOrvanta::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    FollowWithVirtualDisplay();
}

void TOrvanta::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FollowWithVirtualDisplay();
}

void TOrvanta::LayOutPanels() {
    if (roll_->state() == QAbstractAnimation::Running) return;
    pnMain_->setGeometry(pnClient_->rect());
    pnSettings_->setGeometry(pnClient_->rect());
}

// "Show hint" off: no tooltips in the window, except on the settings page.
// Shown: at the bottom-right corner of the control, at most kTipWidth pixels wide.
bool TOrvanta::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return QWidget::eventFilter(watched, event);
    if (!core_.Settings().Common.ShowHint && mode_ != TWindowMode::Settings) return true;
    const QString tip = widget->toolTip();
    if (tip.isEmpty()) return QWidget::eventFilter(watched, event);
    const bool wide = QFontMetrics(QToolTip::font()).horizontalAdvance(tip) > kTipWidth;
    const QString shown = wide && !Qt::mightBeRichText(tip)
                              ? QStringLiteral("<table width=%1><tr><td>%2</td></tr></table>")
                                    .arg(kTipWidth)
                                    .arg(tip.toHtmlEscaped())
                              : tip;
    QToolTip::showText(widget->mapToGlobal(widget->rect().bottomRight()), shown, widget);
    return true;
}

void TOrvanta::FadeTo(qreal opacity, const std::function<void()>& then) {
    fade_->stop();
    fadeDone_ = then;
    fade_->setDuration(kFadeMs);
    fade_->setStartValue(windowOpacity());
    fade_->setEndValue(opacity);
    fade_->start();
}

void TOrvanta::RollPanel(QWidget& panel, const QRect& from, const QRect& to, int durationMs,
                         const std::function<void()>& then) {
    roll_->stop();
    rollDone_ = [this, then] {
        if (then) then();
        LayOutPanels();
    };
    roll_->setTargetObject(&panel);
    roll_->setDuration(durationMs);
    roll_->setStartValue(from);
    roll_->setEndValue(to);
    roll_->start();
}

} // namespace orv
