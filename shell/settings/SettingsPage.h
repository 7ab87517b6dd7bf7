// The main window's settings state: the tree of five nodes and the five pages it selects
// (general options, abbreviations, modules, virtual display, custom characters). Fill takes the
// running settings into the controls when the state opens; Save takes them back, applies them to
// the running program and writes the settings file.
//
// The page is part of the main window and translates with it: the main window's language walk
// ("1_" keys) reaches the page's controls, so the page applies no language file itself. On Saved
// the main window applies its language and messages, creates the virtual display window when
// "Show" is on, and leaves the state.
#pragma once

#include "host/SettingsValues.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QStackedWidget;
class QTreeWidget;

namespace orv {

class TApplicationCore;
class TCommonPage;
class TCustomCharsPage;
class TModulesPage;
class TShortcutsPage;
class TVirtualScreenPage;

class TSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit TSettingsPage(TApplicationCore& core, QWidget* parent = nullptr);

    // From the settings model when the state opens: ends the screen-saver listener (modules may
    // change here), fills every page and selects the first node.
    void Fill();
    // The save action. A proxy port that is not a port number stops it before anything changes
    // (a message says so and the field gets the focus); otherwise the pages' values go into the
    // running settings, the file is written, and Saved follows.
    void Save();
    // Selects the node of the module list.
    void ShowModules();
    // The five node texts and the caption from the messages, as translated now.
    void ShowNodeTexts();
    // The update check's version label (lblVer), kept over later fills.
    void ShowVersionLabel(const QString& text);

    // The main language file, whose sections the language chooser offers.
    std::string LanguageFilePath() const;

signals:
    // After a save: the main window re-applies its language and messages and leaves the state.
    void Saved();
    // cbShowVirtualScreen changed: show or hide an existing virtual display window.
    void VirtualScreenShown(bool show);
    // "Посмотреть": create the virtual display window when needed, give it the engine's geometry
    // and this look, and show it.
    void VirtualScreenPreview(const orv::TVirtualScreenSettings& look);
    // A driver was turned on or off or reconfigured: the panel geometry may have changed.
    void DriverChanged();

private:
    void SelectNode(int node);

    TApplicationCore& core_;
    QTreeWidget* tvSettings_;
    QLabel* pnSettingCaption_;
    QStackedWidget* pcSettings_;
    TCommonPage* common_;
    TShortcutsPage* shortcuts_;
    TModulesPage* modules_;
    TVirtualScreenPage* virtualScreen_;
    TCustomCharsPage* customChars_;
};

} // namespace orv
