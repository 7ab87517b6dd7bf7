// pnMain, the job editor of the main window: the tag tree, one tab per screen, the line editors
// with their alignment and scroll toggles, the screen's show options, the job file commands and
// the preview. Every edit goes into the core's job at once, except while a tab's screen is being
// loaded into the controls.
#pragma once

#include "engine/JobUnit.h"
#include "host/modulehost/ScreenGeometry.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QCheckBox;
class QGridLayout;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace orv {

class TApplicationCore;
class TFrameSink;
class TJobLineEdit;
class TJobPreview;
class TScreenTabBar;
class TTagTree;
class TTransitionChooser;

enum class TJobFileDialog { Open, Save };

// Edits a tag text (UTF-8, "$...$"); nullopt when the user cancels.
using TTagEditor = std::function<std::optional<QString>(QWidget* parent, const QString& tag)>;

struct TJobEditorOptions {
    // Asks for a job file (UTF-8 path; empty: cancelled). current is the job's file, if any.
    // Empty: the file dialog with the filter "Orvanta3 - задачи" and extension ".orv3".
    std::function<QString(TJobFileDialog kind, const QString& current)> AskJobFile;
    // The tag parameter editor; empty: btnEquation and a double click on a tag insert the
    // tag unchanged.
    TTagEditor EditTag;
};

class TJobEditor final : public QWidget {
    Q_OBJECT
public:
    // sink (may be null) gets the preview's rows beside the panel.
    TJobEditor(TApplicationCore& core, TFrameSink* sink, QWidget* parent = nullptr,
               TJobEditorOptions options = {});
    ~TJobEditor() override;

    // The file question and the tag editor may be set after construction.
    TJobEditorOptions& Options() { return options_; }

    // The panel's row count: 1, 2, 4 or 8 lines are shown; other counts leave them as they are.
    void SetPanelRows(int rows);
    int ShownLines() const { return shownLines_; }
    // tvTags from the modules that are on.
    void RebuildTagTree();
    // The texts that come from the program's messages, after a language change.
    void ShowMessages();

    // The tabs from the job's screens, the first one selected.
    void FillTabs();
    // A job that has just been read from path (UTF-8) at start-up: the tabs, no unsaved changes.
    void JobLoaded(const QString& path);
    // One new screen in an empty job, not counted as a change.
    void StartNewJob();

    // The current tab's screen into the job (what every edit does).
    void StoreScreen();
    // btnAddJob, btnDeleteJob, a tab dropped on another, "Переименовать".
    void AddScreen();
    void DeleteScreen();
    void SwapScreens(int source, int target);
    void RenameScreen(int index);

    // The job file commands; false when cancelled or failed.
    bool NewJob();
    bool OpenJob();
    bool SaveJob();   // to the job's file, asking for one only when there is none
    bool SaveJobAs(); // btnSaveJob: always asks, starting from the job's file
    // The job has edits that no save has written.
    bool Modified() const { return modified_; }
    const QString& JobPath() const { return jobPath_; }
    // Before the job goes away (another job, the program's end): with unsaved edits, asks whether
    // to save them. False when the user cancels or the save did not happen.
    bool ConfirmDiscard();

    // btnEquation: the selected tag of the current line through the tag editor.
    void EditSelectedTag();

    bool PreviewRunning() const;
    // btnPreview down and up.
    void StartPreview();
    void SwitchPreviewOff();
    // The settings page, the tag editor and the file commands end a running preview.
    void EndPreview();
    TJobPreview& Preview() { return *preview_; }

    int CurrentLine() const { return currentLine_; }

signals:
    void SettingsRequested();
    void ModulesRequested(); // the empty tag tree's button
    void AboutRequested();
    // The preview started (true) or was switched off (false).
    void PreviewSwitched(bool running);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildLines();
    QWidget* BuildOptions();
    void BuildContextMenu();
    void LoadScreen(int index);
    TJobScreen EditedScreen() const;
    void Edited();
    void ToggleAlign(int line);
    void ToggleScroll(int line);
    void ShowToggleGlyphs(int line);
    void EnterLine(int line);
    void LeaveLine(int line, QWidget* next);
    void ShowExtEdit();
    void InsertTag(const QString& tag);
    bool SaveTo(QString path);
    QString AskFile(TJobFileDialog kind);
    void ShowPanelLines(const std::string& row1, const std::string& row2);
    TJobLineEdit& Line(int line) const { return *edLine_[static_cast<size_t>(line - 1)]; }

    TApplicationCore& core_;
    TJobEditorOptions options_;
    TJobPreview* preview_;

    TScreenTabBar* tcJobControl_;
    QPushButton* btnSettings_;
    TTagTree* tvTags_;
    QPlainTextEdit* mmTagHelp_;
    QGridLayout* lines_;
    std::array<TJobLineEdit*, 8> edLine_{};
    std::array<QToolButton*, 8> btnJust_{};
    std::array<QToolButton*, 8> btnSD_{};
    QToolButton* btnExtEdit_;
    QPlainTextEdit* mmExtEdit_ = nullptr; // the larger editor, created on first use
    QCheckBox* cbShow_;
    QSpinBox* edShowTimeout_;
    QCheckBox* cbShowOnce_;
    TTransitionChooser* cbTransition_;
    QPushButton* btnPreview_;
    QMenu* pmContext_;
    QAction* mnFillScreen_;

    std::array<TLineAlign, kMaxRows> align_{};
    std::array<TLineScroll, kMaxRows> scroll_{};
    std::array<QString, kMaxRows> screenClipboard_;
    int panelRows_ = kDefaultRowCount;
    int shownLines_ = 0;
    int currentLine_ = 1;
    bool suppressStore_ = false;
    bool firstSwitchOffDone_ = false;
    bool modified_ = false;
    QString jobPath_;
    std::string jobRevision_; // of jobPath_ as last read or written here
};

} // namespace orv
