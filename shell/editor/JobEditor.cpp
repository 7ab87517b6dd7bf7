#include "shell/editor/JobEditor.h"

#include "host/ProgramMessages.h"
#include "base/AtomicFile.h"
#include "appcore/ApplicationCore.h"
#include "shell/editor/EditorGlyphs.h"
#include "shell/editor/JobLineEdit.h"
#include "shell/editor/JobPreview.h"
#include "shell/editor/ScreenTabBar.h"
#include "shell/editor/TagTree.h"
#include "shell/editor/TransitionChooser.h"
#include "base/ui/JobFileDialog.h"
#include "base/ui/NamedControl.h"
#include "base/ui/QtCp1251.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace orv {

namespace {

const QColor kCurrentLineColour(192, 220, 192);
constexpr int kExtEditHeight = 72;
constexpr int kMaxTimeoutSec = 86400;
constexpr int kTagTreeWidth = 230;

QToolButton* LineToggle(QWidget* parent, const QString& name, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    return button;
}

QPushButton* CommandButton(QWidget* parent, const char* name, const QString& text,
                           const QString& hint) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    return button;
}

} // namespace

TJobEditor::TJobEditor(TApplicationCore& core, TFrameSink* sink, QWidget* parent,
                       TJobEditorOptions options)
    : QWidget(parent), core_(core), options_(std::move(options)) {
    setObjectName("pnMain");
    preview_ = new TJobPreview(
        core_, [this] { return EditedScreen(); }, sink, this);
    BuildControls();
    ShowMessages();
    SetPanelRows(core_.Rows());
}

TJobEditor::~TJobEditor() { preview_->Stop(); }

// The tab row and btnSettings come first: the window's language keys count controls in the
// order they were made.
void TJobEditor::BuildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* tabRow = new QHBoxLayout;
    tcJobControl_ = new TScreenTabBar(this);
    tabRow->addWidget(tcJobControl_, 1);
    btnSettings_ = CommandButton(this, "btnSettings", QStringLiteral("Настройка..."),
                                 QStringLiteral("Настройки программы и модулей"));
    tabRow->addWidget(btnSettings_);
    outer->addLayout(tabRow);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    tvTags_ = new TTagTree(this);
    left->addWidget(tvTags_, 3);
    mmTagHelp_ = new QPlainTextEdit(this);
    mmTagHelp_->setObjectName("mmTagHelp");
    mmTagHelp_->setReadOnly(true);
    mmTagHelp_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    left->addWidget(mmTagHelp_, 1);
    tvTags_->setMinimumWidth(kTagTreeWidth);
    mmTagHelp_->setMinimumWidth(kTagTreeWidth);
    body->addLayout(left, 0);

    auto* right = new QVBoxLayout;
    right->addWidget(BuildLines());
    right->addWidget(BuildOptions());
    right->addStretch(1);
    body->addLayout(right, 1);
    outer->addLayout(body, 1);
    BuildContextMenu();

    connect(tcJobControl_, &QTabBar::currentChanged, this, &TJobEditor::LoadScreen);
    connect(tcJobControl_, &TScreenTabBar::SwapRequested, this, &TJobEditor::SwapScreens);
    connect(tcJobControl_, &TScreenTabBar::RenameRequested, this, &TJobEditor::RenameScreen);
    connect(btnSettings_, &QPushButton::clicked, this, &TJobEditor::SettingsRequested);
    connect(tvTags_, &TTagTree::ModulesRequested, this, &TJobEditor::ModulesRequested);
    connect(tvTags_, &TTagTree::HintChosen, this, [this](const QString& hint) {
        mmTagHelp_->setPlainText(hint);
        mmTagHelp_->setVerticalScrollBarPolicy(hint.isEmpty() ? Qt::ScrollBarAlwaysOff
                                                              : Qt::ScrollBarAsNeeded);
    });
    connect(tvTags_, &TTagTree::ExampleChosen, this, [this](const QString& example) {
        EndPreview();
        if (!options_.EditTag) return InsertTag(example);
        if (const auto tag = options_.EditTag(this, example)) InsertTag(*tag);
    });
}

QWidget* TJobEditor::BuildLines() {
    auto* box = new QWidget(this);
    box->setObjectName("pnLines");
    lines_ = new QGridLayout(box);
    lines_->setContentsMargins(0, 0, 0, 0);
    lines_->setHorizontalSpacing(2);
    lines_->setVerticalSpacing(2);
    for (int line = 1; line <= kMaxRows; ++line) {
        const auto i = static_cast<size_t>(line - 1);
        edLine_[i] = new TJobLineEdit(line, box);
        btnJust_[i] = LineToggle(box, QStringLiteral("btnJust%1").arg(line),
                                 QStringLiteral("Выравнивание строки"));
        btnSD_[i] = LineToggle(box, QStringLiteral("btnSD%1").arg(line),
                               QStringLiteral("Направление прокрутки длинной строки"));
        lines_->addWidget(edLine_[i], line - 1, 0);
        lines_->addWidget(btnJust_[i], line - 1, 2);
        lines_->addWidget(btnSD_[i], line - 1, 3);
        ShowToggleGlyphs(line);
        connect(edLine_[i], &QLineEdit::textChanged, this, &TJobEditor::Edited);
        connect(edLine_[i], &TJobLineEdit::Entered, this, &TJobEditor::EnterLine);
        connect(edLine_[i], &TJobLineEdit::Left, this, &TJobEditor::LeaveLine);
        connect(btnJust_[i], &QToolButton::clicked, this, [this, line] { ToggleAlign(line); });
        connect(btnSD_[i], &QToolButton::clicked, this, [this, line] { ToggleScroll(line); });
    }
    lines_->setColumnStretch(0, 1);
    btnExtEdit_ =
        LineToggle(box, "btnExtEdit", QStringLiteral("Редактировать строку в большом окне"));
    btnExtEdit_->setText(QStringLiteral("..."));
    btnExtEdit_->hide();
    connect(btnExtEdit_, &QToolButton::clicked, this, &TJobEditor::ShowExtEdit);
    return box;
}

QWidget* TJobEditor::BuildOptions() {
    auto* box = new QWidget(this);
    box->setObjectName("pnOptions");
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 4, 0, 0);

    auto* timing = new QHBoxLayout;
    cbShow_ = new QCheckBox(QStringLiteral("показывать в течение "), box);
    cbShow_->setObjectName("cbShow");
    edShowTimeout_ = new QSpinBox(box);
    edShowTimeout_->setObjectName("edShowTimeout");
    edShowTimeout_->setRange(0, kMaxTimeoutSec);
    cbShowOnce_ = new QCheckBox(QStringLiteral("только раз"), box);
    cbShowOnce_->setObjectName("cbShowOnce");
    timing->addWidget(cbShow_);
    timing->addWidget(edShowTimeout_);
    timing->addWidget(cbShowOnce_);
    timing->addStretch(1);
    layout->addLayout(timing);

    cbTransition_ = new TTransitionChooser(box);
    layout->addWidget(cbTransition_);

    // Screens and the job file on one row, the tag, the preview and the program on the next.
    auto* commands = new QHBoxLayout;
    auto* tools = new QHBoxLayout;
    auto add = [&](QHBoxLayout* row, const char* name, const QString& text, const QString& hint) {
        QPushButton* button = CommandButton(box, name, text, hint);
        row->addWidget(button);
        return button;
    };
    QPushButton* btnAddJob =
        add(commands, "btnAddJob", QStringLiteral("+"), QStringLiteral("Добавить экран"));
    QPushButton* btnDeleteJob =
        add(commands, "btnDeleteJob", QStringLiteral("−"), QStringLiteral("Удалить экран"));
    QPushButton* btnNewJob =
        add(commands, "btnNewJob", QStringLiteral("Новое"), QStringLiteral("Новое задание"));
    QPushButton* btnOpenJob = add(commands, "btnOpenJob", QStringLiteral("Открыть..."),
                                  QStringLiteral("Открыть файл задания"));
    QPushButton* btnSaveJob = add(commands, "btnSaveJob", QStringLiteral("Сохранить..."),
                                  QStringLiteral("Сохранить задание в файл"));
    QPushButton* btnEquation = add(tools, "btnEquation", QStringLiteral("$..$"),
                                   QStringLiteral("Параметры выделенного тега"));
    btnEquation->setFocusPolicy(Qt::NoFocus); // the line keeps its selection
    btnPreview_ = add(tools, "btnPreview", QStringLiteral("Просмотр"),
                      QStringLiteral("Показать экран на дисплее, пока кнопка нажата"));
    btnPreview_->setCheckable(true);
    QPushButton* btnAbout =
        add(tools, "btnAbout", QStringLiteral("?"), QStringLiteral("О программе"));
    commands->addStretch(1);
    tools->addStretch(1);
    layout->addLayout(commands);
    layout->addLayout(tools);

    connect(cbShow_, &QCheckBox::toggled, this, &TJobEditor::Edited);
    connect(edShowTimeout_, &QSpinBox::valueChanged, this, &TJobEditor::Edited);
    connect(cbShowOnce_, &QCheckBox::toggled, this, &TJobEditor::Edited);
    connect(cbTransition_, &QComboBox::currentIndexChanged, this, &TJobEditor::Edited);
    connect(btnAddJob, &QPushButton::clicked, this, &TJobEditor::AddScreen);
    connect(btnDeleteJob, &QPushButton::clicked, this, &TJobEditor::DeleteScreen);
    connect(btnNewJob, &QPushButton::clicked, this, &TJobEditor::NewJob);
    connect(btnOpenJob, &QPushButton::clicked, this, &TJobEditor::OpenJob);
    connect(btnSaveJob, &QPushButton::clicked, this, &TJobEditor::SaveJobAs);
    connect(btnEquation, &QPushButton::clicked, this, &TJobEditor::EditSelectedTag);
    connect(btnAbout, &QPushButton::clicked, this, [this] {
        StoreScreen();
        emit AboutRequested();
    });
    connect(btnPreview_, &QPushButton::toggled, this, [this](bool down) {
        if (down)
            StartPreview();
        else
            SwitchPreviewOff();
    });
    return box;
}

// pmContext of the line editors; the edit actions work on the current line editor.
void TJobEditor::BuildContextMenu() {
    pmContext_ = new QMenu(this);
    pmContext_->setObjectName("pmContext");
    auto add = [this](const char* name, const QString& text) {
        QAction* action = pmContext_->addAction(text);
        action->setObjectName(name);
        return action;
    };
    QAction* copyScreen = add("mnCopyScreen", QStringLiteral("Скопировать экран"));
    mnFillScreen_ = add("mnFillScreen", QStringLiteral("Заполнить скопированным"));
    mnFillScreen_->setEnabled(false);
    pmContext_->addSeparator();
    QAction* clearScreen = add("mnClearScreen", QStringLiteral("Очистить экран"));
    pmContext_->addSeparator();
    QAction* cut = add("mnCut", QStringLiteral("Вырезать"));
    QAction* copy = add("mnCopy", QStringLiteral("Копировать"));
    QAction* paste = add("mnPaste", QStringLiteral("Вставить"));
    QAction* undo = add("mnUndo", QStringLiteral("Отменить"));
    cut->setShortcut(QKeySequence::Cut);
    copy->setShortcut(QKeySequence::Copy);
    paste->setShortcut(QKeySequence::Paste);
    undo->setShortcut(QKeySequence::Undo);
    for (QAction* action : {cut, copy, paste, undo}) action->setShortcutContext(Qt::WidgetShortcut);

    connect(copyScreen, &QAction::triggered, this, [this] {
        for (int line = 1; line <= kMaxRows; ++line)
            screenClipboard_[static_cast<size_t>(line - 1)] = Line(line).text();
        mnFillScreen_->setEnabled(true);
    });
    connect(mnFillScreen_, &QAction::triggered, this, [this] {
        for (int line = 1; line <= kMaxRows; ++line)
            Line(line).setText(screenClipboard_[static_cast<size_t>(line - 1)]);
    });
    connect(clearScreen, &QAction::triggered, this, [this] {
        for (int line = 1; line <= kMaxRows; ++line) Line(line).clear();
    });
    connect(cut, &QAction::triggered, this, [this] { Line(currentLine_).cut(); });
    connect(copy, &QAction::triggered, this, [this] { Line(currentLine_).copy(); });
    connect(paste, &QAction::triggered, this, [this] { Line(currentLine_).paste(); });
    connect(undo, &QAction::triggered, this, [this] { Line(currentLine_).undo(); });
    for (TJobLineEdit* edit : edLine_) edit->SetContextMenu(pmContext_);
}

void TJobEditor::SetPanelRows(int rows) {
    panelRows_ = std::clamp(rows, 1, kMaxRows);
    if (rows != 1 && rows != 2 && rows != 4 && rows != 8) {
        if (shownLines_ == 0)
            shownLines_ = kDefaultRowCount;
        else
            return;
    } else {
        shownLines_ = rows;
    }
    for (int line = 1; line <= kMaxRows; ++line) {
        const bool shown = line <= shownLines_;
        const auto i = static_cast<size_t>(line - 1);
        edLine_[i]->setVisible(shown);
        btnJust_[i]->setVisible(shown);
        btnSD_[i]->setVisible(shown);
    }
}

void TJobEditor::RebuildTagTree() {
    tvTags_->Fill(core_.Catalogue().TagTree());
    mmTagHelp_->clear(); // the hint of a tag of the tree before, perhaps in another language
}

void TJobEditor::ShowMessages() {
    tvTags_->SetEmptyHint(FromCp1251(Message(msgNoModulesInTree)),
                          FromCp1251(Message(msgOpenModules)));
    edShowTimeout_->setSuffix(FromCp1251(Message(msgSecondsSuffix)));
    cbTransition_->ShowNames();
}

void TJobEditor::FillTabs() {
    const QSignalBlocker block(tcJobControl_);
    while (tcJobControl_->count() > 0) tcJobControl_->removeTab(0);
    for (int i = 0; i < core_.Job().Count(); ++i)
        tcJobControl_->addTab(FromCp1251(core_.Job().GetName(i)));
    tcJobControl_->setCurrentIndex(core_.Job().Count() > 0 ? 0 : -1);
    LoadScreen(tcJobControl_->currentIndex());
}

void TJobEditor::JobLoaded(const QString& path) {
    jobRevision_ = FileRevision(path.toStdString()); // the core has just read it
    FillTabs();
    jobPath_ = path;
    modified_ = false;
}

void TJobEditor::StartNewJob() {
    AddScreen();
    modified_ = false;
}

// Selecting a tab: the screen into the controls without writing anything back, then the
// preview is switched off.
void TJobEditor::LoadScreen(int index) {
    if (const TJobScreen* screen = core_.Job().Screen(index)) {
        suppressStore_ = true;
        for (int line = 1; line <= kMaxRows; ++line) {
            const auto i = static_cast<size_t>(line - 1);
            edLine_[i]->setText(FromCp1251(screen->Line[i]));
            if (line <= panelRows_) {
                align_[i] = screen->Align[i];
                scroll_[i] = screen->Scroll[i];
                ShowToggleGlyphs(line);
            }
        }
        tcJobControl_->setTabText(index, FromCp1251(screen->Name));
        cbShow_->setChecked(screen->Show);
        edShowTimeout_->setValue(std::clamp(screen->Timeout, 0, kMaxTimeoutSec));
        cbShowOnce_->setChecked(screen->Once);
        cbTransition_->setCurrentIndex(
            std::clamp(static_cast<int>(screen->TransitionEffect), 0, cbTransition_->count() - 1));
        suppressStore_ = false;
    }
    SwitchPreviewOff();
}

// The current screen as the controls show it; lines beyond the panel keep their codes.
TJobScreen TJobEditor::EditedScreen() const {
    const int index = tcJobControl_->currentIndex();
    const TJobScreen* stored = core_.Job().Screen(index);
    TJobScreen screen = stored ? *stored : TJobScreen{};
    for (int line = 1; line <= kMaxRows; ++line) {
        const auto i = static_cast<size_t>(line - 1);
        screen.Line[i] = ToCp1251(edLine_[i]->text());
        if (line <= panelRows_) {
            screen.Align[i] = align_[i];
            screen.Scroll[i] = scroll_[i];
        }
    }
    if (index >= 0) screen.Name = ToCp1251(tcJobControl_->tabText(index));
    screen.Show = cbShow_->isChecked();
    screen.Timeout = edShowTimeout_->value();
    screen.Once = cbShowOnce_->isChecked();
    screen.TransitionEffect = static_cast<uint8_t>(std::max(0, cbTransition_->currentIndex()));
    return screen;
}

void TJobEditor::StoreScreen() {
    const int index = tcJobControl_->currentIndex();
    const TJobScreen* stored = core_.Job().Screen(index);
    if (!stored) return;
    const TJobScreen screen = EditedScreen();
    if (screen == *stored) return;
    TJob& job = core_.Job();
    job.SetName(index, screen.Name);
    job.SetTimeout(index, screen.Timeout);
    for (int line = 1; line <= kMaxRows; ++line) {
        const auto i = static_cast<size_t>(line - 1);
        job.SetLine(index, line, screen.Line[i]);
        job.SetAlign(index, line, screen.Align[i]);
        job.SetScroll(index, line, screen.Scroll[i]);
    }
    job.SetShow(index, screen.Show);
    job.SetOnce(index, screen.Once);
    job.SetTransitionEffect(index, screen.TransitionEffect);
    modified_ = true;
}

// Any edit: a running preview gives way to "Настройка..." on the panel, then the screen is
// stored unless it is being loaded.
void TJobEditor::Edited() {
    if (PreviewRunning() && !suppressStore_) {
        SwitchPreviewOff();
        core_.ShowPanelText(Message(msgSettingsPanel));
    }
    if (!suppressStore_) StoreScreen();
}

void TJobEditor::ToggleAlign(int line) {
    auto& code = align_[static_cast<size_t>(line - 1)];
    code = static_cast<TLineAlign>((code + 1) % 3);
    ShowToggleGlyphs(line);
    Edited();
}

void TJobEditor::ToggleScroll(int line) {
    auto& code = scroll_[static_cast<size_t>(line - 1)];
    code = static_cast<TLineScroll>((code + 1) % 3);
    ShowToggleGlyphs(line);
    Edited();
}

void TJobEditor::ShowToggleGlyphs(int line) {
    const auto i = static_cast<size_t>(line - 1);
    btnJust_[i]->setIcon(AlignGlyph(align_[i]));
    btnSD_[i]->setIcon(ScrollGlyph(scroll_[i]));
}

// The current line editor is highlighted (bold with "Bold edit line") and has btnExtEdit at
// its right.
void TJobEditor::EnterLine(int line) {
    if (line != currentLine_) {
        TJobLineEdit& previous = Line(currentLine_);
        previous.setPalette(QPalette());
        previous.setFont(QFont());
    }
    currentLine_ = line;
    TJobLineEdit& edit = Line(line);
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, kCurrentLineColour);
    edit.setPalette(palette);
    QFont font;
    font.setBold(core_.Settings().Common.BoldEditLine);
    edit.setFont(font);
    lines_->removeWidget(btnExtEdit_);
    lines_->addWidget(btnExtEdit_, line - 1, 1);
    btnExtEdit_->setFixedHeight(edit.sizeHint().height());
    btnExtEdit_->show();
}

void TJobEditor::LeaveLine(int, QWidget* next) {
    if (next != mmExtEdit_ && next != btnExtEdit_) btnExtEdit_->hide();
}

// The larger editor: a multi-line box below btnExtEdit, as wide as the line editor, whose text
// goes into the line as it is typed.
void TJobEditor::ShowExtEdit() {
    if (!mmExtEdit_) {
        mmExtEdit_ = new QPlainTextEdit(this);
        mmExtEdit_->setObjectName("mmExtEdit");
        QFont font(QStringLiteral("Courier New"));
        font.setStyleHint(QFont::Monospace);
        font.setBold(true);
        mmExtEdit_->setFont(font);
        QPalette palette = mmExtEdit_->palette();
        palette.setColor(QPalette::Text, Qt::blue);
        mmExtEdit_->setPalette(palette);
        mmExtEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        mmExtEdit_->installEventFilter(this);
        connect(mmExtEdit_, &QPlainTextEdit::textChanged, this, [this] {
            const QString text = mmExtEdit_->toPlainText();
            if (Line(currentLine_).text() != text) Line(currentLine_).setText(text);
        });
    }
    TJobLineEdit& edit = Line(currentLine_);
    const QPoint below = btnExtEdit_->mapTo(this, QPoint(0, btnExtEdit_->height()));
    const QPoint left = edit.mapTo(this, QPoint(0, 0));
    mmExtEdit_->setGeometry(left.x(), below.y(), edit.width(), kExtEditHeight);
    {
        const QSignalBlocker block(mmExtEdit_);
        mmExtEdit_->setPlainText(edit.text());
    }
    mmExtEdit_->raise();
    mmExtEdit_->show();
    mmExtEdit_->setFocus();
    mmExtEdit_->moveCursor(QTextCursor::End);
}

// The larger editor: Enter is swallowed, Escape goes back to the line, leaving it hides it.
bool TJobEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mmExtEdit_) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
            if (key == Qt::Key_Escape) {
                mmExtEdit_->hide();
                Line(currentLine_).setFocus();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            mmExtEdit_->hide();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TJobEditor::InsertTag(const QString& tag) {
    TJobLineEdit& edit = Line(currentLine_);
    edit.insert(tag);
    edit.setFocus();
}

// btnEquation: a selection of the current line (or of the larger editor, when it has one) that
// is a whole tag is replaced by what the tag editor makes of it.
void TJobEditor::EditSelectedTag() {
    TJobLineEdit& edit = Line(currentLine_);
    if (!edit.hasSelectedText()) return;
    const bool fromExt = mmExtEdit_ && mmExtEdit_->textCursor().hasSelection();
    if (mmExtEdit_ && !fromExt) return;
    EndPreview();
    const QString selected =
        fromExt ? mmExtEdit_->textCursor().selectedText() : edit.selectedText();
    if (selected.size() < 2 || !selected.startsWith('$') || !selected.endsWith('$')) return;
    if (!options_.EditTag) return;
    const auto result = options_.EditTag(this, selected);
    if (!result) return;
    if (fromExt)
        mmExtEdit_->textCursor().insertText(*result);
    else
        edit.insert(*result);
}

void TJobEditor::AddScreen() {
    const std::string name =
        Message(msgNewScreenPrefix) + std::to_string(tcJobControl_->count() + 1);
    core_.Job().AddScreen(name);
    modified_ = true;
    tcJobControl_->setCurrentIndex(tcJobControl_->addTab(FromCp1251(name)));
}

void TJobEditor::DeleteScreen() {
    const int index = tcJobControl_->currentIndex();
    if (tcJobControl_->count() <= 1 || index < 0) return;
    core_.Job().DeleteScreen(index);
    modified_ = true;
    {
        const QSignalBlocker block(tcJobControl_);
        tcJobControl_->removeTab(index);
        tcJobControl_->setCurrentIndex(0);
    }
    LoadScreen(0);
}

void TJobEditor::SwapScreens(int source, int target) {
    const int count = tcJobControl_->count();
    if (source == target || source < 0 || target < 0 || source >= count || target >= count) return;
    StoreScreen();
    const QString caption = tcJobControl_->tabText(source);
    tcJobControl_->setTabText(source, tcJobControl_->tabText(target));
    tcJobControl_->setTabText(target, caption);
    core_.Job().ExchangeScreens(source, target);
    modified_ = true;
    const QSignalBlocker block(tcJobControl_);
    tcJobControl_->setCurrentIndex(target);
    LoadScreen(target);
}

// The new name goes into the job at once, also for a tab that is not the current one.
void TJobEditor::RenameScreen(int index) {
    if (index < 0 || index >= tcJobControl_->count()) return;
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Переименовать экран"),
                                               QStringLiteral("Новое название"), QLineEdit::Normal,
                                               tcJobControl_->tabText(index), &ok);
    if (!ok) return;
    tcJobControl_->setTabText(index, name);
    if (core_.Job().GetName(index) != ToCp1251(name)) {
        core_.Job().SetName(index, ToCp1251(name));
        modified_ = true;
    }
}

bool TJobEditor::NewJob() {
    EndPreview();
    if (!ConfirmDiscard()) return false;
    core_.Job() = TJob();
    jobPath_.clear();
    jobRevision_.clear();
    {
        const QSignalBlocker block(tcJobControl_);
        while (tcJobControl_->count() > 0) tcJobControl_->removeTab(0);
    }
    StartNewJob();
    return true;
}

// A file that cannot be read leaves the job as it was; one without screens gets a new screen,
// so that there is always a screen to edit.
bool TJobEditor::OpenJob() {
    EndPreview();
    if (!ConfirmDiscard()) return false;
    const QString path = AskFile(TJobFileDialog::Open);
    if (path.isEmpty()) return false;
    TJob loaded;
    std::string error;
    const std::string revision = FileRevision(path.toStdString());
    if (!loaded.LoadFromFile(path.toStdString(), &error)) {
        QMessageBox::warning(this, QStringLiteral("Orvanta3"),
                             QStringLiteral("Не удалось открыть задание: ") +
                                 QString::fromStdString(error));
        return false;
    }
    core_.Job() = std::move(loaded); // the cycle starts at its first screen
    FillTabs();
    if (core_.Job().Count() == 0) AddScreen();
    jobPath_ = path;
    jobRevision_ = revision;
    modified_ = false;
    ShowPanelLines(Message(msgJobLoaded), ToCp1251(QFileInfo(path).fileName()));
    return true;
}

bool TJobEditor::SaveJob() {
    StoreScreen();
    EndPreview();
    if (core_.Job().Count() == 0) return false;
    return SaveTo(jobPath_.isEmpty() ? AskFile(TJobFileDialog::Save) : jobPath_);
}

bool TJobEditor::SaveJobAs() {
    StoreScreen();
    EndPreview();
    if (core_.Job().Count() == 0) return false;
    return SaveTo(AskFile(TJobFileDialog::Save));
}

bool TJobEditor::SaveTo(QString path) {
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".orv3");
    // The file this job came from, saved or written elsewhere since: written over only when
    // the user says so.
    if (path == jobPath_ && FileRevision(path.toStdString()) != jobRevision_) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Orvanta3"),
                        FromCp1251(Message(msgJobChangedElsewhere)),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName("mbJobChangedElsewhere");
        box.setDefaultButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes) return false;
    }
    if (!core_.Job().SaveToFile(path.toStdString())) {
        // The file on the disk is unchanged; errno says why (a full disk, say).
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QMessageBox::warning(this, QStringLiteral("Orvanta3"),
                             QStringLiteral("Не удалось сохранить задание в ") + path +
                                 QStringLiteral(": ") + reason);
        return false;
    }
    jobPath_ = path;
    jobRevision_ = FileRevision(path.toStdString());
    modified_ = false;
    ShowPanelLines(Message(msgJobSaved),
                   Message(msgSavedAs) + ToCp1251(QFileInfo(path).fileName()));
    return true;
}

bool TJobEditor::ConfirmDiscard() {
    StoreScreen();
    if (!modified_) return true;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvanta3"),
                    FromCp1251(Message(msgJobChangedQuestion)),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName("mbSaveChanges");
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveJob();
    case QMessageBox::Discard: return true;
    default: return false;
    }
}

QString TJobEditor::AskFile(TJobFileDialog kind) {
    if (options_.AskJobFile) return options_.AskJobFile(kind, jobPath_);
    // Without a job file yet: the folder of the autoload job, else that of the settings.
    const QString autoloadJob = QString::fromStdString(core_.SettingsJobPath());
    return AskJobFile(
        this,
        {.Save = kind == TJobFileDialog::Save,
         .Current = jobPath_,
         .Folder = autoloadJob.isEmpty()
                       ? QFileInfo(QString::fromStdString(core_.Settings().Path())).absolutePath()
                       : QFileInfo(autoloadJob).absolutePath(),
         .FilterName = FromCp1251(Message(msgJobFilesFilter)),
         .AllFilesName = {}});
}

// Two rows on the panel after Clear, when a driver is current, shown as text: a file name may
// hold "$" and "[".
void TJobEditor::ShowPanelLines(const std::string& row1, const std::string& row2) {
    if (core_.PanelActive())
        core_.Thread().ShowLines({row1, row2}, true, TControlThread::TLineText::Plain);
}

void TJobEditor::EndPreview() {
    if (PreviewRunning()) SwitchPreviewOff();
}

bool TJobEditor::PreviewRunning() const { return preview_->Running(); }

void TJobEditor::StartPreview() {
    if (PreviewRunning()) return;
    {
        const QSignalBlocker block(btnPreview_);
        btnPreview_->setChecked(true);
    }
    emit PreviewSwitched(true);
    preview_->Start();
}

// Button up or any edit. The panel is cleared, except the very first time after start-up,
// which comes while the editor is being set up and leaves the start screen standing.
void TJobEditor::SwitchPreviewOff() {
    preview_->Stop();
    {
        const QSignalBlocker block(btnPreview_);
        btnPreview_->setChecked(false);
    }
    emit PreviewSwitched(false);
    if (!std::exchange(firstSwitchOffDone_, true)) return;
    if (core_.PanelActive()) core_.ClearPanel();
}

} // namespace orv
