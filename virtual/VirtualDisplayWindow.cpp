#include "virtual/VirtualDisplayWindow.h"

#include "host/Settings.h"
#include "base/ui/WindowLanguage.h"
#include "virtual/BgrColor.h"
#include "virtual/LCDLabel.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace orv {

namespace {

constexpr uint32_t kWindowColour = 13033443; // 0xC6DFE3
constexpr int kButtonSize = 16;
constexpr int kMargin = 8;

void SetFill(QWidget& widget, uint32_t color) {
    QPalette pal = widget.palette();
    pal.setColor(QPalette::Window, BgrToColor(color, pal));
    widget.setPalette(pal);
    widget.setAutoFillBackground(true);
}

} // namespace

QPoint SnapToScreenEdges(const QRect& window, const QRect& screen, int maximisedHeight) {
    int left = window.left() - screen.left();
    int top = window.top() - screen.top();
    if (left <= 9)
        left = 0;
    else if (left + window.width() > screen.width() - 10)
        left = screen.width() - window.width();
    if (top <= 9)
        top = 0;
    else if (top + window.height() > maximisedHeight)
        top = maximisedHeight - window.height();
    return {screen.left() + left, screen.top() + top};
}

TfrmVirtualDisplay::TfrmVirtualDisplay(TSettings& settings, TNavigate navigate, QWidget* parent,
                                       const std::string& lngPath)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      settings_(settings), navigate_(std::move(navigate)) {
    setObjectName("frmVirtualDisplay");
    setWindowTitle("Orvanta3: virtual display");
    SetFill(*this, kWindowColour);

    Panel1_ = new QWidget(this);
    Panel1_->setObjectName("Panel1");
    Panel1_->move(kMargin, kMargin);
    LCDScreen_ = new TLCDLabel(Panel1_);
    LCDScreen_->setObjectName("LCDScreen");
    LCDScreen_->move(kMargin, kMargin);
    LCDScreen_->SetDotMatrix(TDotMatrix::mat5x8);
    LCDScreen_->SetPixelSize(TPixelSize::pixCustom);
    LCDScreen_->SetPixelSpacing(1);
    LCDScreen_->SetPixelWidth(2);
    LCDScreen_->SetPixelHeight(2);
    LCDScreen_->SetCharSpacing(2);
    LCDScreen_->SetLineSpacing(2);
    LCDScreen_->SetBorderSpace(3);
    LCDScreen_->SetBorderStyle(TMyBorder::frNone);
    LCDScreen_->SetPixelOff(6880221);
    SetBackground(8781028);

    const auto button = [this](const char* name, QStyle::StandardPixmap icon, const char* hint) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setIconSize(QSize(kButtonSize - 4, kButtonSize - 4));
        b->setAutoRaise(true);
        b->setFixedSize(kButtonSize, kButtonSize);
        b->setToolTip(QString::fromUtf8(hint));
        return b;
    };
    btnClose_ = button("btnClose", QStyle::SP_TitleBarCloseButton,
                       "Нажмите эту кнопку, чтобы закрыть \"виртуальный экран\" (только до "
                       "следующего перезапуска программы)");
    btnNext_ = button("btnNext", QStyle::SP_MediaSkipForward,
                      "Нажмите эту кнопку, чтобы перейти к следующему экрану");
    btnPrev_ = button("btnPrev", QStyle::SP_MediaSkipBackward,
                      "Нажмите эту кнопку, чтобы перейти к предыдущему экрану");
    connect(btnClose_, &QToolButton::clicked, this, &QWidget::hide);
    connect(btnNext_, &QToolButton::clicked, this, [this] {
        if (navigate_) navigate_({navNext});
    });
    connect(btnPrev_, &QToolButton::clicked, this, [this] {
        if (navigate_) navigate_({navPrevious});
    });
    Relayout();

    if (LanguageTemplateRequested(QCoreApplication::arguments()))
        WriteWindowLanguageTemplate(*this, "3_", lngPath);
    else
        ApplyWindowLanguage(*this, "3_", settings_.Common.Language, lngPath);
    move(settings_.VirtualScreen.HorizPosition, settings_.VirtualScreen.VertPosition);
}

TfrmVirtualDisplay::~TfrmVirtualDisplay() {
    settings_.VirtualScreen.HorizPosition = x();
    settings_.VirtualScreen.VertPosition = y();
    settings_.SaveVirtualScreenPosition();
}

void TfrmVirtualDisplay::SetRows(int32_t rows) {
    LCDScreen_->SetTextLines(rows);
    Relayout();
}

void TfrmVirtualDisplay::SetColumns(int32_t cols) {
    LCDScreen_->SetNoOfChars(cols);
    Relayout();
}

void TfrmVirtualDisplay::SetOnColour(uint32_t color) { LCDScreen_->SetPixelOn(color); }
void TfrmVirtualDisplay::SetOffColour(uint32_t color) { LCDScreen_->SetPixelOff(color); }

void TfrmVirtualDisplay::SetBackground(uint32_t color) {
    LCDScreen_->SetBackGround(color);
    SetFill(*Panel1_, color);
}

void TfrmVirtualDisplay::SetPixelWidth(int32_t width) {
    LCDScreen_->SetPixelWidth(width);
    Relayout();
}

void TfrmVirtualDisplay::SetPixelHeight(int32_t height) {
    LCDScreen_->SetPixelHeight(height);
    Relayout();
}

void TfrmVirtualDisplay::SetGeometry(int32_t rows, int32_t cols) {
    SetRows(rows);
    SetColumns(cols);
}

void TfrmVirtualDisplay::ApplySettings(const TVirtualScreenSettings& settings) {
    SetOnColour(static_cast<uint32_t>(settings.PixelOnColor));
    SetOffColour(static_cast<uint32_t>(settings.PixelOffColor));
    SetBackground(static_cast<uint32_t>(settings.BackgroundColor));
    SetPixelWidth(settings.PixelHorizSize);
    SetPixelHeight(settings.PixelVertSize);
}

void TfrmVirtualDisplay::ShowRows(const std::vector<std::string>& rows) {
    std::string caption;
    for (const std::string& row : rows) caption += row;
    LCDScreen_->SetCaption(caption);
}

void TfrmVirtualDisplay::DefineChar(uint8_t code, const TGlyphRows& rows) {
    LCDScreen_->DefineChar(code, rows);
}

void TfrmVirtualDisplay::Relayout() {
    const QSize lcd = LCDScreen_->sizeHint();
    Panel1_->resize(lcd.width() + 2 * kMargin, lcd.height() + 2 * kMargin);
    setFixedSize(lcd.width() + 52, lcd.height() + 32);
    const int x = width() - kButtonSize - 6;
    btnClose_->move(x, kMargin);
    btnPrev_->move(x, height() - kMargin - kButtonSize);
    btnNext_->move(x, std::max(kMargin + kButtonSize, height() - kMargin - 2 * kButtonSize));
}

void TfrmVirtualDisplay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit VisibilityChanged(true);
}

void TfrmVirtualDisplay::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit VisibilityChanged(false);
}

void TfrmVirtualDisplay::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragOffset_ = event->globalPosition().toPoint() - pos();
    event->accept();
}

void TfrmVirtualDisplay::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    const QScreen* where = screen();
    const QRect target(event->globalPosition().toPoint() - dragOffset_, size());
    if (!where) return move(target.topLeft());
    const QRect available = where->availableGeometry();
    move(SnapToScreenEdges(target, where->geometry(),
                           available.bottom() + 1 - where->geometry().top()));
    event->accept();
}

} // namespace orv
