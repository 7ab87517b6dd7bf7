#include "shell/settings/VirtualScreenPage.h"

#include "shell/settings/ColourButton.h"
#include "base/ui/NamedControl.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace orv {

namespace {

constexpr int kMinDotSize = 1;
constexpr int kMaxDotSize = 4;

QPushButton* ColourBox(const char* name, const char* hint, QWidget* parent) {
    auto* box = Named(NewColourButton(parent), name);
    box->setToolTip(Utf8(hint));
    return box;
}

QSlider* DotSize(const char* name, QWidget* parent) {
    auto* bar = Named(new QSlider(Qt::Horizontal, parent), name);
    bar->setRange(kMinDotSize, kMaxDotSize);
    bar->setPageStep(1);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    bar->setValue(2);
    return bar;
}

} // namespace

TVirtualScreenPage::TVirtualScreenPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsVirtualScreen");
    auto* form = new QFormLayout(this);
    cbShowVirtualScreen_ =
        Named(new QCheckBox(Utf8("Выводить данные параллельно на \"виртуальный экран\""), this),
              "cbShowVirtualScreen");
    cbShowVirtualScreen_->setToolTip(
        Utf8("Дублирование данных с LCD-экрана на виртуальном экране"));
    cbPixelOn_ = ColourBox("cbPixelOn", "Цвет \"включенной\" точки виртуального экрана", this);
    cbPixelOff_ = ColourBox("cbPixelOff", "Цвет \"выключенной\" точки виртуального экрана", this);
    cbBackground_ = ColourBox("cbBackground", "Цвет фона виртуального экрана", this);
    tbHorizSize_ = DotSize("tbHorizSize", this);
    tbVertSize_ = DotSize("tbVertSize", this);
    lblHorizSize_ = new QLabel(Utf8("Ширина точки:"), this);
    lblHorizSize_->setToolTip(Utf8("Горизонтальный размер точки виртуального экрана"));
    lblVertSize_ = new QLabel(Utf8("Высота точки:"), this);
    lblVertSize_->setToolTip(Utf8("Вертикальный размер точки виртуального экрана"));
    for (QLabel* label : {lblHorizSize_, lblVertSize_}) {
        label->installEventFilter(this);
        ShareHint(*label);
    }
    btnVirtualScreenCheck_ =
        Named(new QPushButton(Utf8("Посмотреть"), this), "btnVirtualScreenCheck");
    btnVirtualScreenCheck_->setToolTip(
        Utf8("Предварительный просмотр внешнего вида виртуального экрана"));

    form->addRow(cbShowVirtualScreen_);
    form->addRow(Utf8("Цвет включенной точки:"), cbPixelOn_);
    form->addRow(Utf8("Цвет выключенной точки:"), cbPixelOff_);
    form->addRow(Utf8("Цвет фона:"), cbBackground_);
    form->addRow(lblHorizSize_, tbHorizSize_);
    form->addRow(lblVertSize_, tbVertSize_);
    form->addRow(btnVirtualScreenCheck_);

    connect(cbShowVirtualScreen_, &QCheckBox::toggled, this, &TVirtualScreenPage::ShowToggled);
    connect(tbHorizSize_, &QSlider::valueChanged, this,
            [this] { KeepDotSizesApart(*tbHorizSize_, *tbVertSize_); });
    connect(tbVertSize_, &QSlider::valueChanged, this,
            [this] { KeepDotSizesApart(*tbVertSize_, *tbHorizSize_); });
    connect(btnVirtualScreenCheck_, &QPushButton::clicked, this, [this] {
        TVirtualScreenSettings look;
        Take(look);
        emit PreviewRequested(look);
    });
}

// A track bar has no text of its own in the language file: it shows the hint of its label.
void TVirtualScreenPage::ShareHint(const QLabel& label) {
    (&label == lblHorizSize_ ? tbHorizSize_ : tbVertSize_)->setToolTip(label.toolTip());
}

bool TVirtualScreenPage::eventFilter(QObject* watched, QEvent* event) {
    const bool sizeLabel = watched == lblHorizSize_ || watched == lblVertSize_;
    if (sizeLabel && event->type() == QEvent::ToolTipChange)
        ShareHint(static_cast<QLabel&>(*watched));
    return QWidget::eventFilter(watched, event);
}

void TVirtualScreenPage::KeepDotSizesApart(QSlider& changed, QSlider& other) {
    if (changed.value() == kMinDotSize && other.value() == kMinDotSize)
        other.setValue(kMinDotSize + 1);
}

void TVirtualScreenPage::Fill(const TVirtualScreenSettings& values) {
    {
        const QSignalBlocker quiet(cbShowVirtualScreen_); // filling shows or hides nothing
        cbShowVirtualScreen_->setChecked(values.Show);
    }
    SetButtonColour(*cbPixelOn_, values.PixelOnColor);
    SetButtonColour(*cbPixelOff_, values.PixelOffColor);
    SetButtonColour(*cbBackground_, values.BackgroundColor);
    {
        const QSignalBlocker quietHoriz(tbHorizSize_);
        const QSignalBlocker quietVert(tbVertSize_);
        tbHorizSize_->setValue(values.PixelHorizSize);
        tbVertSize_->setValue(values.PixelVertSize);
    }
    // A file with both sizes at 1 is shown as the rule leaves it.
    KeepDotSizesApart(*tbHorizSize_, *tbVertSize_);
}

void TVirtualScreenPage::Take(TVirtualScreenSettings& values) const {
    values.Show = cbShowVirtualScreen_->isChecked();
    values.PixelOnColor = *ButtonColour(*cbPixelOn_);
    values.PixelOffColor = *ButtonColour(*cbPixelOff_);
    values.BackgroundColor = *ButtonColour(*cbBackground_);
    values.PixelHorizSize = tbHorizSize_->value();
    values.PixelVertSize = tbVertSize_->value();
}

} // namespace orv
