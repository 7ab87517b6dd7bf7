#include "shell/equation/EquationDialog.h"

#include "base/ui/QtCp1251.h"
#include "base/ui/DialogText.h"
#include "base/ui/WindowLanguage.h"
#include "virtual/ui/CharBuilderDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace orv {

namespace {

constexpr char kPlainTextItem[] = "$простой текст$";
constexpr int kIndexWidth = 231;       // edIndex alone
constexpr int kIndexNarrowWidth = 207; // edIndex beside btnSelectVariant

struct TVariant {
    const char* Caption;
    int Number;
};
struct TVariantGroup {
    const char* Caption;
    std::vector<TVariant> Items;
};

const TVariantGroup kTimeVariants{"Дата/время: показать время 12 часов 45 мин 13 сек как:",
                                  {{"  45913 сек", 0},
                                   {"  12:45", 1},
                                   {"  12 ч. 45 мин.", 2},
                                   {"  45:13", 3},
                                   {"  45 мин. 13 сек.", 4},
                                   {"  12:45:13", 5},
                                   {"  12 ч. 45 мин. 13 сек.", 6}}};
const TVariantGroup kDateVariants{"Дата/время: показать дату 31.12.2003 как:",
                                  {{"31.12.03", 0}, {"31.12.2003", 1}, {"31.12", 2}}};
const TVariantGroup kGlyphVariants{"Поддержка пользовательских символов: вывод символов:",
                                   {{"  для горизонтальной полосы", 0},
                                    {"  для вертикальной полосы", 1},
                                    {"  набор пользователя", 2}}};
constexpr char kMaskVariant[] = "  по заданной маске...";
constexpr char kDriveGroup[] = "Диски: вставить номер диска:";
constexpr char kSourceGroup[] = "Свои значения: вставить источник:";
const TVariantGroup kSpectrumVariants{"МР3: вставить спектроскоп:",
                                      {{"однострочный", 11},
                                       {"строка 1 из 2-х", 12},
                                       {"строка 2 из 2-х", 22},
                                       {"строка 1 из 3-х", 13},
                                       {"строка 2 из 3-х", 23},
                                       {"строка 3 из 3-х", 33},
                                       {"строка 1 из 4-х", 14},
                                       {"строка 2 из 4-х", 24},
                                       {"строка 3 из 4-х", 34},
                                       {"строка 4 из 4-х", 44}}};
const TVariantGroup kChannelVariants{"МР3: канал для вывода уровня сигнала:",
                                     {{"левый", 0}, {"правый", 1}}};

QLineEdit* Edit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit("-1", parent);
    edit->setObjectName(name);
    return edit;
}

} // namespace

TfrmEquation::TfrmEquation(std::string_view tagText, TModuleCatalogue& catalogue, QWidget* parent)
    : TfrmEquation(tagText, ReadTagChoices(catalogue), parent) {}

TfrmEquation::TfrmEquation(std::string_view tagText, const TTagChoices& choices, QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmEquation");
    setWindowTitle(Utf8("Редактор параметров тега"));
    BuildControls(choices);
    BuildVariants(choices);
    Fill(tagText);
}

void TfrmEquation::BuildControls(const TTagChoices& choices) {
    cbTags_ = new QComboBox(this);
    cbTags_->setObjectName("cbTags");
    for (const std::string& name : choices.TagNames) tagItems_.push_back(name + "$");
    tagItems_.push_back(Utf8ToCp1251(kPlainTextItem));
    for (const std::string& item : tagItems_) cbTags_->addItem(FromCp1251(item));

    edIndex_ = Edit("edIndex", this);
    edIndex_->setFixedWidth(kIndexWidth);
    edIndex_->installEventFilter(this);
    btnSelectVariant_ = new QToolButton(this);
    btnSelectVariant_->setObjectName("btnSelectVariant");
    btnSelectVariant_->setText("...");
    btnSelectVariant_->setToolTip(Utf8("Выбрать готовое значение"));
    btnSelectVariant_->setFocusPolicy(Qt::NoFocus); // the edit keeps the focus while it is used
    btnSelectVariant_->setFixedWidth(kIndexWidth - kIndexNarrowWidth);
    btnSelectVariant_->hide();
    edLeft_ = Edit("edLeft", this);
    edWidth_ = Edit("edWidth", this);
    cbRefresh_ = new QCheckBox(Utf8("обновлять с частотой:"), this);
    cbRefresh_->setObjectName("cbRefresh");
    edRefresh_ = new QComboBox(this);
    edRefresh_->setObjectName("edRefresh");
    for (const char* rate : {"очень низкая", "низкая", "средняя", "высокая"})
        edRefresh_->addItem(Utf8(rate));
    edFormatType_ = new QComboBox(this);
    edFormatType_->setObjectName("edFormatType");
    for (const char* format :
         {"текст", "мигающий текст", "полосу прогресса", "полоса прогресса упрощ.",
          "полоса прогресса + число", "анимацию послед. символов", "анимированный символ"})
        edFormatType_->addItem(Utf8(format));
    TranslateItems(*edRefresh_);
    TranslateItems(*edFormatType_);
    // The drop-down fits its longest item.
    edFormatType_->view()->setMinimumWidth(
        QFontMetrics(edFormatType_->font()).horizontalAdvance(edFormatType_->itemText(5)) + 10);
    pnPreview_ = new QLabel(this);
    pnPreview_->setObjectName("pnPreview");
    pnPreview_->setFrameShape(QFrame::Panel);
    pnPreview_->setFrameShadow(QFrame::Sunken);
    pnPreview_->setAlignment(Qt::AlignCenter);
    pnPreview_->setMinimumHeight(28);
    pnPreview_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* index = new QHBoxLayout;
    index->setSpacing(0);
    index->addWidget(edIndex_);
    index->addWidget(btnSelectVariant_);
    index->addStretch();
    auto* form = new QFormLayout;
    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(Utf8(text), this);
        l->setBuddy(buddy);
        return l;
    };
    form->addRow(label("Тег:", cbTags_), cbTags_);
    form->addRow(label("Параметр:", edIndex_), index);
    form->addRow(label("Позиция в строке:", edLeft_), edLeft_);
    form->addRow(label("Ширина поля:", edWidth_), edWidth_);
    form->addRow(cbRefresh_, edRefresh_);
    form->addRow(label("Выводить как:", edFormatType_), edFormatType_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(Utf8("Результат:"), this));
    layout->addWidget(pnPreview_);
    AddDialogButtons(*this, *layout, "OK", "Отмена", &QDialog::accept);

    connect(cbTags_, &QComboBox::currentIndexChanged, this, &TfrmEquation::UpdatePreview);
    for (QLineEdit* edit : {edIndex_, edLeft_, edWidth_})
        connect(edit, &QLineEdit::textChanged, this, &TfrmEquation::UpdatePreview);
    connect(cbRefresh_, &QCheckBox::toggled, this, [this](bool on) {
        edRefresh_->setEnabled(on);
        UpdatePreview();
    });
    connect(edRefresh_, &QComboBox::currentIndexChanged, this, &TfrmEquation::UpdatePreview);
    connect(edFormatType_, &QComboBox::currentIndexChanged, this, &TfrmEquation::UpdatePreview);
    connect(btnSelectVariant_, &QToolButton::clicked, this, &TfrmEquation::ShowVariants);
}

void TfrmEquation::BuildVariants(const TTagChoices& choices) {
    pmVariants_ = new QMenu(this);
    pmVariants_->setObjectName("pmVariants");
    auto addItem = [this](const QString& caption, int number) {
        QAction* action = pmVariants_->addAction(caption);
        connect(action, &QAction::triggered, this,
                [this, number] { edIndex_->setText(QString::number(number)); });
    };
    auto addCaption = [this](const char* caption) {
        QAction* action = pmVariants_->addAction(Utf8(caption));
        action->setEnabled(false);
    };
    auto addGroup = [&](const TVariantGroup& group) {
        addCaption(group.Caption);
        for (const TVariant& item : group.Items) addItem(Utf8(item.Caption), item.Number);
    };
    addGroup(kTimeVariants);
    addGroup(kDateVariants);
    addGroup(kGlyphVariants);
    connect(pmVariants_->addAction(Utf8(kMaskVariant)), &QAction::triggered, this,
            &TfrmEquation::DrawMask);
    if (!choices.Drives.empty()) {
        addCaption(kDriveGroup);
        for (const TDriveChoice& drive : choices.Drives)
            addItem(FromCp1251(drive.Caption), drive.Number);
    }
    addGroup(kSpectrumVariants);
    addGroup(kChannelVariants);
    if (!choices.Sources.empty()) {
        addCaption(kSourceGroup);
        for (const TSourceChoice& source : choices.Sources) {
            const QString argument = FromCp1251(source.Argument);
            connect(pmVariants_->addAction("  " + argument), &QAction::triggered, this,
                    [this, argument] { edIndex_->setText(argument); });
        }
    }
}

void TfrmEquation::ApplyLanguage(const std::string& language, const std::string& lngPath) {
    language_ = language;
    lngPath_ = lngPath;
    ApplyWindowLanguage(*this, "2_", language, lngPath);
}

void TfrmEquation::Fill(std::string_view tagText) {
    const TTagParameters parameters = ReadTagParameters(tagText);
    edRefresh_->setEnabled(false);
    edRefresh_->setCurrentIndex(parameters.RefreshIndex);

    int tag = -1;
    for (size_t i = 0; i < tagItems_.size(); ++i)
        if (tagItems_[i] == parameters.Name) {
            tag = static_cast<int>(i);
            break;
        }
    if (tag < 0) {
        tag = cbTags_->count() - 1;
        tagItems_.back() = parameters.Name;
        cbTags_->setItemText(tag, FromCp1251(parameters.Name));
    }
    cbTags_->setCurrentIndex(tag);
    edIndex_->setText(FromCp1251(parameters.Argument));
    edLeft_->setText(FromCp1251(parameters.Left));
    edWidth_->setText(FromCp1251(parameters.Width));
    cbRefresh_->setChecked(parameters.RefreshOn);
    edRefresh_->setEnabled(parameters.RefreshOn);
    edFormatType_->setCurrentIndex(parameters.FormatIndex);
    UpdatePreview();
}

TTagParameters TfrmEquation::Parameters() const {
    TTagParameters parameters;
    const int tag = cbTags_->currentIndex();
    parameters.Name = tag >= 0 ? tagItems_[static_cast<size_t>(tag)] : std::string();
    parameters.Argument = ToCp1251(edIndex_->text());
    parameters.Left = ToCp1251(edLeft_->text());
    parameters.Width = ToCp1251(edWidth_->text());
    parameters.RefreshOn = cbRefresh_->isChecked();
    parameters.RefreshIndex = edRefresh_->currentIndex();
    parameters.FormatIndex = edFormatType_->currentIndex();
    return parameters;
}

void TfrmEquation::UpdatePreview() {
    tagText_ = BuildTagText(Parameters());
    pnPreview_->setText(FromCp1251(tagText_));
}

bool TfrmEquation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edIndex_) {
        if (event->type() == QEvent::FocusIn) {
            edIndex_->setFixedWidth(kIndexNarrowWidth);
            btnSelectVariant_->show();
        } else if (event->type() == QEvent::FocusOut &&
                   static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            btnSelectVariant_->hide();
            edIndex_->setFixedWidth(kIndexWidth);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEquation::ShowVariants() { pmVariants_->popup(QCursor::pos()); }

void TfrmEquation::DrawMask() {
    TfrmCharBuilder builder(this);
    builder.ApplyLanguage(language_, lngPath_);
    builder.Load(ToCp1251(edIndex_->text()));
    if (builder.exec() == QDialog::Accepted) edIndex_->setText(FromCp1251(builder.MaskText()));
}

} // namespace orv
