#include "shell/settings/CustomCharsPage.h"

#include "abi/ConstUnit.h"
#include "host/modulehost/ErrorReport.h"
#include "base/ui/WindowLanguage.h"
#include "base/ui/NamedControl.h"
#include "virtual/ui/CharBuilderDialog.h"

#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orv {

namespace {

constexpr int kRows = TDotMatrix::kRows;
constexpr int kCols = TDotMatrix::kCols;
constexpr int kMappingSets = 2; // horizontal and vertical bar; the user set is not edited here

// Rows as the slot-definition form writes them: "x00;x0E;...".
QString MaskText(const TGlyphRows& rows) { return QString::fromStdString(FormatMaskRows(rows)); }

QPixmap GlyphPixmap(const TGlyphRows& rows, const QColor& on, const QColor& off) {
    constexpr int dot = 3;
    QPixmap pixmap(kCols * dot, kRows * dot);
    QPainter p(&pixmap);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            p.fillRect(c * dot, r * dot, dot, dot, rows[r] & (0x10 >> c) ? on : off);
    return pixmap;
}

QPushButton* Button(const char* name, const char* text, const char* hint, QWidget* parent) {
    auto* button = Named(new QPushButton(Utf8(text), parent), name);
    if (hint) button->setToolTip(Utf8(hint));
    return button;
}

void ShowError(const char* utf8) { ReportError(Utf8ToCp1251(utf8)); }

} // namespace

TCustomCharsPage::TCustomCharsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsCustomChars");
    lbCustomChars_ = Named(new QListWidget(this), "lbCustomChars");

    auto* matrixGrid = new QGridLayout;
    matrix_ = std::make_unique<TDotMatrix>(
        *this, *matrixGrid, 18,
        [](int r, int c) { return QString("btnMatrix%1%2").arg(r + 1).arg(c + 1); }, nullptr,
        [this] { MatrixEdited(); });
    btnClearCustomCharBuilder_ =
        Button("btnClearCustomCharBuilder", "Очистить", "Очистить матрицу", this);
    btnRevertCustomCharBuilder_ =
        Button("btnRevertCustomCharBuilder", "Инвертировать", "Инвертировать матрицу", this);
    btnApplyCustomChar_ = Button("btnApplyCustomChar", "Принять", "Принять изменения", this);
    edCustomCharMask_ = Named(new QLineEdit(this), "edCustomCharMask");
    edCustomCharMask_->setToolTip(Utf8("Строки символа сверху вниз: x00;x0E;..."));
    btnDrawCustomChar_ = Button("btnDrawCustomChar", "...", "Нарисовать символ", this);
    btnNewCustomChar_ = Button("btnNewCustomChar", "Новый...", "Создать новый символ", this);
    btnDeleteCustomChar_ = Button("btnDeleteCustomChar", "Удалить", "Удалить символ", this);

    cbMappingSet_ = Named(new QComboBox(this), "cbMappingSet");
    cbMappingSet_->addItem(Utf8("горизонтальная полоса"));
    cbMappingSet_->addItem(Utf8("вертикальная полоса"));
    TranslateItems(*cbMappingSet_);
    auto* pieces = new QHBoxLayout;
    for (int k = 0; k < kCustomSlotCount; ++k) {
        auto* piece = new QToolButton(this);
        piece->setObjectName(QString("btnMapping%1").arg(k));
        piece->setPopupMode(QToolButton::InstantPopup);
        piece->setIconSize(QSize(15, 24));
        piece->setMenu(new QMenu(piece));
        pieces->addWidget(piece);
        mappingPieces_[k] = piece;
    }
    pieces->addStretch();

    auto* matrixButtons = new QVBoxLayout;
    matrixButtons->addWidget(btnClearCustomCharBuilder_);
    matrixButtons->addWidget(btnRevertCustomCharBuilder_);
    matrixButtons->addWidget(btnApplyCustomChar_);
    matrixButtons->addStretch();
    auto* editor = new QHBoxLayout;
    editor->addLayout(matrixGrid);
    editor->addLayout(matrixButtons);
    editor->addStretch();
    auto* mask = new QHBoxLayout;
    mask->addWidget(edCustomCharMask_);
    mask->addWidget(btnDrawCustomChar_);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(btnNewCustomChar_);
    listButtons->addWidget(btnDeleteCustomChar_);

    auto* right = new QVBoxLayout;
    right->addLayout(editor);
    right->addLayout(mask);
    right->addWidget(new QLabel(Utf8("Символы полос:"), this));
    right->addWidget(cbMappingSet_);
    right->addLayout(pieces);
    right->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(lbCustomChars_);
    left->addLayout(listButtons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 2);

    connect(lbCustomChars_, &QListWidget::currentRowChanged, this, &TCustomCharsPage::ShowSelected);
    connect(btnClearCustomCharBuilder_, &QPushButton::clicked, this,
            &TCustomCharsPage::ClearMatrix);
    connect(btnRevertCustomCharBuilder_, &QPushButton::clicked, this,
            &TCustomCharsPage::InvertMatrix);
    connect(btnApplyCustomChar_, &QPushButton::clicked, this, &TCustomCharsPage::ApplyMatrix);
    connect(edCustomCharMask_, &QLineEdit::editingFinished, this, &TCustomCharsPage::MaskEdited);
    connect(btnDrawCustomChar_, &QPushButton::clicked, this, &TCustomCharsPage::DrawGlyph);
    connect(btnNewCustomChar_, &QPushButton::clicked, this, &TCustomCharsPage::NewGlyph);
    connect(btnDeleteCustomChar_, &QPushButton::clicked, this, &TCustomCharsPage::DeleteGlyph);
    connect(cbMappingSet_, &QComboBox::currentIndexChanged, this, &TCustomCharsPage::ShowMapping);
}

void TCustomCharsPage::Fill(const TCharsets& charsets) {
    edited_.AdoptTables(charsets);
    {
        const QSignalBlocker quiet(lbCustomChars_);
        lbCustomChars_->clear();
        for (int e = 1; e <= edited_.GlyphCount(); ++e)
            lbCustomChars_->addItem(FromCp1251(edited_.Glyph(e)->Name));
    }
    lbCustomChars_->setCurrentRow(0);
    ShowSelected();
    cbMappingSet_->setCurrentIndex(0);
    ShowMapping();
}

void TCustomCharsPage::Take(TCharsets& charsets) const { charsets.AdoptTables(edited_); }

int TCustomCharsPage::SelectedEntry() const {
    const int row = lbCustomChars_->currentRow();
    return row >= 0 && row < edited_.GlyphCount() ? row + 1 : 0;
}

void TCustomCharsPage::ShowSelected() {
    const int entry = SelectedEntry();
    const TCustomGlyph* glyph = edited_.Glyph(entry);
    SetMatrixRows(glyph ? glyph->Rows : TGlyphRows{});
    btnDeleteCustomChar_->setEnabled(entry > kBuiltInGlyphCount);
    btnApplyCustomChar_->setEnabled(false);
}

TGlyphRows TCustomCharsPage::MatrixRows() const { return matrix_->Rows(); }

void TCustomCharsPage::SetMatrixRows(const TGlyphRows& rows) {
    matrix_->SetRows(rows);
    edCustomCharMask_->setText(MaskText(rows));
}

void TCustomCharsPage::MatrixEdited() {
    edCustomCharMask_->setText(MaskText(MatrixRows()));
    btnApplyCustomChar_->setEnabled(SelectedEntry() != 0);
}

void TCustomCharsPage::ClearMatrix() {
    SetMatrixRows(TGlyphRows{});
    MatrixEdited();
}

void TCustomCharsPage::InvertMatrix() {
    matrix_->Invert();
    MatrixEdited();
}

void TCustomCharsPage::ApplyMatrix() {
    if (!edited_.SetGlyphRows(SelectedEntry(), MatrixRows())) return;
    btnApplyCustomChar_->setEnabled(false);
    ShowMapping(); // a piece may show the glyph just changed
}

void TCustomCharsPage::MaskEdited() {
    const TGlyphRows rows = ParseMaskRows(ToCp1251(edCustomCharMask_->text()));
    if (rows == MatrixRows()) {
        edCustomCharMask_->setText(MaskText(rows)); // the text as the matrix reads it
        return;
    }
    SetMatrixRows(rows);
    MatrixEdited();
}

// The character matrix editor draws the selected glyph; its rows come back into the matrix,
// still to be applied.
void TCustomCharsPage::DrawGlyph() {
    TfrmCharBuilder builder(this);
    builder.ApplyLanguage(language_, languagePath_);
    builder.Load(FormatGlyphMask({1, MatrixRows()}));
    if (builder.exec() != QDialog::Accepted) return;
    SetMatrixRows(ParseGlyphMask(builder.MaskText()).Rows);
    MatrixEdited();
}

void TCustomCharsPage::NewGlyph() {
    if (edited_.GlyphCount() >= kMaxGlyphCount) {
        ShowError("Нельзя создать больше 255-и определяемых символов!");
        return;
    }
    const QString name =
        QInputDialog::getText(this, Utf8("Новый символ"), Utf8("Введине название нового символа"));
    // An empty name, a name already in the table or one the settings file cannot hold as a key
    // does nothing.
    if (edited_.AddGlyph(ToCp1251(name)) != TAddGlyphResult::Added) return;
    lbCustomChars_->addItem(FromCp1251(edited_.Glyph(edited_.GlyphCount())->Name));
    lbCustomChars_->setCurrentRow(edited_.GlyphCount() - 1);
}

void TCustomCharsPage::DeleteGlyph() {
    const int entry = SelectedEntry();
    if (entry == 0) return;
    if (entry <= kBuiltInGlyphCount) {
        ShowError("Символы из первых 3-х наборов удалить нельзя!");
        return;
    }
    const QString question =
        Utf8("Удалить символ \"") + FromCp1251(edited_.Glyph(entry)->Name) + "\"?";
    if (QMessageBox::question(this, Utf8("Удаление символа"), question,
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    edited_.DeleteGlyph(entry);
    {
        const QSignalBlocker quiet(lbCustomChars_);
        delete lbCustomChars_->takeItem(entry - 1);
        lbCustomChars_->setCurrentRow(-1);
    }
    ShowSelected();
}

int TCustomCharsPage::MappingSet() const {
    return std::clamp(cbMappingSet_->currentIndex(), 0, kMappingSets - 1);
}

void TCustomCharsPage::ShowMapping() {
    const int set = MappingSet();
    for (int k = 0; k < kCustomSlotCount; ++k) {
        const int role = set * kCustomSlotCount + k;
        QToolButton* piece = mappingPieces_[k];
        piece->setToolTip(FromCp1251(edited_.Glyph(role + 1)->Name));
        QMenu* menu = piece->menu();
        menu->clear();
        auto* group = new QActionGroup(menu);
        for (int i = 0; i < kCustomSlotCount; ++i) {
            const auto code = static_cast<uint8_t>(i + 1);
            QAction* item =
                menu->addAction(FromCp1251(edited_.Glyph(set * kCustomSlotCount + code)->Name));
            item->setCheckable(true);
            item->setChecked(code == edited_.Mapping(role));
            group->addAction(item);
            connect(item, &QAction::triggered, this, [this, k, role, code] {
                edited_.SetMapping(role, code);
                ShowPiece(k);
            });
        }
        ShowPiece(k);
    }
}

// A piece shows the glyph of its set that the display code it is mapped to holds.
void TCustomCharsPage::ShowPiece(int piece) {
    const int set = MappingSet();
    const int code = edited_.Mapping(set * kCustomSlotCount + piece);
    const TCustomGlyph* shown = edited_.Glyph(set * kCustomSlotCount + code);
    mappingPieces_[piece]->setIcon(GlyphPixmap(shown ? shown->Rows : TGlyphRows{},
                                               palette().color(QPalette::WindowText),
                                               palette().color(QPalette::Base)));
}

} // namespace orv
