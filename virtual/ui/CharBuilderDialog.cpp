#include "virtual/ui/CharBuilderDialog.h"

#include "base/Cp1251.h"
#include "base/TextUtil.h"
#include "host/modulehost/ErrorReport.h"
#include "base/ui/DialogText.h"
#include "base/ui/WindowLanguage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace orv {

namespace {

constexpr int kRows = TDotMatrix::kRows;
constexpr int kCols = TDotMatrix::kCols;
constexpr int kFirstNumber = 1;
constexpr int kLastNumber = 8;

QToolButton* ToolButton(const char* name, const QString& text, const char* hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    if (hint) button->setToolTip(Utf8(hint));
    return button;
}

} // namespace

TfrmCharBuilder::TfrmCharBuilder(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName("frmCharBuilder");
    setWindowTitle(Utf8("Рисование символа"));
    setModal(true);

    auto* matrixGrid = new QGridLayout;
    // b<row><bit + 1>: the leftmost dot is bit 4.
    matrix_ = std::make_unique<TDotMatrix>(
        *this, *matrixGrid, 20,
        [](int r, int c) { return QString("b%1%2").arg(r + 1).arg(kCols - c); },
        "Матрица для редактирования вида символа; нажатие кнопки мыши включает/выключает точку",
        [this] { ShowRows(); });
    for (int r = 0; r < kRows; ++r) {
        auto* rowEdit = new QLineEdit(this);
        rowEdit->setObjectName(QString("r%1").arg(r + 1));
        rowEdit->setReadOnly(true);
        rowEdit->setFixedSize(40, 20);
        rowEdit->setText("x00");
        connect(rowEdit, &QLineEdit::textChanged, this, &TfrmCharBuilder::UpdateMask);
        matrixGrid->addWidget(rowEdit, r, kCols);
        rowEdits_[r] = rowEdit;
    }

    edNo_ = new QLineEdit(QString::number(kFirstNumber), this);
    edNo_->setObjectName("edNo");
    edNo_->setFixedWidth(40);
    auto* lblNo = new QLabel(Utf8("Номер символа (1-8):"), this);
    lblNo->setBuddy(edNo_);
    auto* upDown = new QWidget(this);
    upDown->setObjectName("UpDown1");
    auto* up = ToolButton("btnNumberUp", QString(QChar(0x25B2)), nullptr, upDown);
    auto* down = ToolButton("btnNumberDown", QString(QChar(0x25BC)), nullptr, upDown);
    for (QToolButton* b : {up, down}) b->setFixedSize(18, 12);
    auto* upDownLayout = new QVBoxLayout(upDown);
    upDownLayout->setContentsMargins(0, 0, 0, 0);
    upDownLayout->setSpacing(0);
    upDownLayout->addWidget(up);
    upDownLayout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { StepNumber(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepNumber(-1); });
    connect(edNo_, &QLineEdit::textChanged, this, &TfrmCharBuilder::UpdateMask);

    edMask_ = new QLineEdit(this);
    edMask_->setObjectName("edMask");
    edMask_->setReadOnly(true);
    edMask_->setMinimumWidth(260);
    auto* lblMask = new QLabel(Utf8("Маска символа:"), this);
    lblMask->setBuddy(edMask_);

    auto* btnClear =
        ToolButton("btnClearCustomCharBuilder", Utf8("Очистить"), "Очистить матрицу", this);
    auto* btnInvert = ToolButton("btnRevertCustomCharBuilder", Utf8("Инвертировать"),
                                 "Инвертировать матрицу", this);
    connect(btnClear, &QToolButton::clicked, this, &TfrmCharBuilder::ClearMatrix);
    connect(btnInvert, &QToolButton::clicked, this, &TfrmCharBuilder::InvertMatrix);

    auto* tools = new QVBoxLayout;
    tools->addWidget(btnClear);
    tools->addWidget(btnInvert);
    tools->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(matrixGrid);
    top->addSpacing(8);
    top->addLayout(tools);
    top->addStretch();
    auto* number = new QHBoxLayout;
    number->addWidget(lblNo);
    number->addWidget(edNo_);
    number->addWidget(upDown);
    number->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(number);
    layout->addWidget(lblMask);
    layout->addWidget(edMask_);
    AddDialogButtons(*this, *layout, "Ок", "Отменить", &QDialog::accept);

    UpdateMask();
}

void TfrmCharBuilder::ApplyLanguage(const std::string& language, const std::string& lngPath) {
    ApplyWindowLanguage(*this, "6_", language, lngPath);
}

void TfrmCharBuilder::Load(std::string_view maskText) {
    const TGlyphMask mask = ParseGlyphMask(maskText);
    edNo_->setText(QString::number(std::clamp(mask.Number, kFirstNumber, kLastNumber)));
    SetMatrixRows(mask.Rows);
}

std::string TfrmCharBuilder::MaskText() const {
    return Utf8ToCp1251(edMask_->text().toStdString());
}

void TfrmCharBuilder::SetMatrixRows(const TGlyphRows& rows) {
    matrix_->SetRows(rows);
    ShowRows();
}

void TfrmCharBuilder::ShowRows() {
    const QStringList texts = QString::fromStdString(FormatMaskRows(matrix_->Rows())).split(';');
    for (int r = 0; r < kRows; ++r) rowEdits_[r]->setText(texts[r]);
}

// The mask from the number as typed and the rows as shown.
void TfrmCharBuilder::UpdateMask() {
    QString mask = "'" + edNo_->text();
    for (const QLineEdit* row : rowEdits_) mask += ";" + row->text();
    edMask_->setText(mask + "'");
}

void TfrmCharBuilder::StepNumber(int step) {
    const int n = ParseInt32(edNo_->text().toStdString()).value_or(kFirstNumber);
    edNo_->setText(QString::number(std::clamp(n + step, kFirstNumber, kLastNumber)));
}

void TfrmCharBuilder::ClearMatrix() { SetMatrixRows(TGlyphRows{}); }

void TfrmCharBuilder::InvertMatrix() {
    matrix_->Invert();
    ShowRows();
}

bool TfrmCharBuilder::NumberAccepted() {
    const auto n = ParseInt32(edNo_->text().toStdString());
    if (n && *n >= kFirstNumber && *n <= kLastNumber) return true;
    edNo_->setFocus();
    ReportError(Utf8ToCp1251(n ? "Номер символа должен быть от 1 до 8!"
                               : "Надо ввести номер символа от 1 до 8!"));
    return false;
}

void TfrmCharBuilder::done(int result) {
    if (result == QDialog::Accepted && !NumberAccepted()) return;
    QDialog::done(result);
}

} // namespace orv
