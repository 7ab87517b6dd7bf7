#include "virtual/LCDLabel.h"

#include "abi/ConstUnit.h"
#include "base/MessageBox.h"
#include "host/ProgramMessages.h"
#include "virtual/BgrColor.h"
#include "virtual/OnScreenPanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <utility>

namespace orv {

namespace {

void Refuse(const char* message) { ShowMessage(message, Message(msgErrorCaption), mbError); }

} // namespace

TLCDLabel::TLCDLabel(QWidget* parent) : QWidget(parent), font_(Font5x8()) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (TX11Surface::Available()) {
        onScreen_ = std::make_shared<TOnScreenPanel>();
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    SetPixelOn(pixelOn_);
    Relayout();
}

// Before the window goes.
TLCDLabel::~TLCDLabel() {
    if (onScreen_) onScreen_->Close();
}

QPaintEngine* TLCDLabel::paintEngine() const {
    return onScreen_ ? nullptr : QWidget::paintEngine();
}

std::string TLCDLabel::Caption() const { return onScreen_ ? onScreen_->Caption() : caption_; }

// Only the cells whose character changed are painted again.
void TLCDLabel::SetCaption(std::string_view cp1251) {
    if (onScreen_ && ShowOnScreen(cp1251, 0)) return;
    if (cp1251 == caption_) return;
    const std::string before = std::exchange(caption_, std::string(cp1251));
    UpdateCells([&](size_t k) { return CaptionCode(before, k) != CaptionCode(caption_, k); });
}

void TLCDLabel::UpdateCells(const std::function<bool(size_t)>& changed) {
    // One rectangle a run of changed cells on a line, the spacing between them included: each
    // rectangle costs the window system a request of its own.
    const QSize size = CellSize();
    QRegion cells;
    for (const auto& [line, first, last] : ChangedRuns(textLines_, noOfChars_, changed))
        cells += QRect(CellOrigin(line, first),
                       CellOrigin(line, last) + QPoint(size.width() - 1, size.height() - 1));
    if (cells.isEmpty()) return;
    // Painted at once while shown: a frame then costs one pass of the event loop, not a second
    // one for a posted update request.
    if (isVisible())
        repaint(cells);
    else
        update(cells);
}

bool TLCDLabel::ShowOnScreen(std::string_view caption, uint64_t sequence) {
    if (!onScreen_) return false;
    using TShown = TOnScreenPanel::TShown;
    TShown shown = onScreen_->ShowCaption(caption, true, sequence);
    if (shown == TShown::NeedsCells) {
        onScreen_->AddCells(CellsOf(caption));
        shown = onScreen_->ShowCaption(caption, true, sequence);
    }
    return shown != TShown::Closed;
}

bool TLCDLabel::OpenSurface() {
    const WId window = winId();
    if (onScreen_->Window() == window) return true;
    if (auto surface = TX11Surface::Open(window)) {
        onScreen_->SetSurface(std::move(surface));
        PublishLook();
        return true;
    }
    // Qt paints it from now on.
    caption_ = onScreen_->Close();
    onScreen_.reset();
    setAttribute(Qt::WA_PaintOnScreen, false);
    update();
    return false;
}

void TLCDLabel::PublishLook() {
    if (!onScreen_ || !onScreen_->Window()) return; // published when the window is there
    TOnScreenPanel::TLook look;
    look.Lines = textLines_;
    look.Chars = noOfChars_;
    look.Cell = CellSize();
    look.FirstCell = CellOrigin(0, 0);
    look.Step =
        QSize(CellOrigin(0, 1).x() - look.FirstCell.x(), CellOrigin(1, 0).y() - look.FirstCell.y());
    look.Background = BgrToColor(backGround_, palette()).rgb();
    look.CellsShown = isEnabled();
    for (auto& [code, image] : CellsOf(onScreen_->Caption())) look.Cells[code] = std::move(image);
    onScreen_->SetLook(std::move(look));
}

std::vector<std::pair<uint8_t, QImage>> TLCDLabel::CellsOf(std::string_view caption) const {
    std::array<bool, 256> seen{};
    std::vector<std::pair<uint8_t, QImage>> cells;
    for (size_t k = 0; k < static_cast<size_t>(textLines_) * noOfChars_; ++k) {
        const uint8_t code = CaptionCode(caption, k);
        if (!std::exchange(seen[code], true)) cells.emplace_back(code, CellImage(code));
    }
    return cells;
}

bool TLCDLabel::event(QEvent* event) {
    // A new window: the surface is opened again at the next paint.
    if (event->type() == QEvent::WinIdChange && onScreen_) onScreen_->SetSurface(nullptr);
    return QWidget::event(event);
}

TMatrixGeometry TLCDLabel::Geometry() const {
    if (dotMatrix_ == TDotMatrix::CustomFont && customFont_) return customFont_->Geometry;
    return MatrixGeometry(dotMatrix_);
}

bool TLCDLabel::SetDotMatrix(TDotMatrix matrix) {
    if (matrix == dotMatrix_) return true;
    if (matrix == TDotMatrix::CustomFont) {
        auto font = customFontFile_.empty() ? std::nullopt : LoadCustomFont(customFontFile_);
        if (!font) return false;
        customFont_ = std::move(font);
    }
    dotMatrix_ = matrix;
    Relayout();
    return true;
}

void TLCDLabel::SetPixelSize(TPixelSize size) {
    if (size == pixelSize_) return;
    pixelSize_ = size;
    if (size != TPixelSize::pixCustom) pixelWidth_ = pixelHeight_ = static_cast<int>(size) + 1;
    Relayout();
}

bool TLCDLabel::SetPixelWidth(int width) {
    if (pixelSize_ != TPixelSize::pixCustom) return true;
    return SetCount(pixelWidth_, width, 1, "Display pixel width must be 1 or greater!");
}

bool TLCDLabel::SetPixelHeight(int height) {
    if (pixelSize_ != TPixelSize::pixCustom) return true;
    return SetCount(pixelHeight_, height, 1, "Display pixel height must be 1 or greate!");
}

void TLCDLabel::SetPixelShape(TPixelShape shape) { Repaint(pixelShape_, shape); }

bool TLCDLabel::SetPixelSpacing(int value) {
    return SetCount(pixelSpacing_, value, 0, "Pixel spacing can't be less than zero!");
}
bool TLCDLabel::SetCharSpacing(int value) {
    return SetCount(charSpacing_, value, 0, "Character spacing can't be less than zero!");
}
bool TLCDLabel::SetLineSpacing(int value) {
    return SetCount(lineSpacing_, value, 0, "Line spacing can't be less than zero!");
}
bool TLCDLabel::SetBorderSpace(int value) {
    return SetCount(borderSpace_, value, 0, "Border spacing can't be less than zero!");
}
bool TLCDLabel::SetTextLines(int value) {
    return SetCount(textLines_, value, 1, "Display needs at least on line!");
}
bool TLCDLabel::SetNoOfChars(int value) {
    return SetCount(noOfChars_, value, 1, "Display needs at least one character!");
}

bool TLCDLabel::SetCount(int& field, int value, int minimum, const char* message) {
    if (value == field) return true;
    if (value < minimum) {
        Refuse(message);
        return false;
    }
    field = value;
    Relayout();
    return true;
}

void TLCDLabel::SetBackGround(uint32_t color) { Repaint(backGround_, color); }

void TLCDLabel::SetBorderColor(uint32_t color) { Repaint(borderColor_, color); }

void TLCDLabel::SetPixelOn(uint32_t color) {
    pixelOn_ = color;
    shaded_ = (color & 0xFF000000) | ((color & 0x00FEFEFE) >> 1);
    ForgetCellImages();
    update();
}

void TLCDLabel::SetPixelOff(uint32_t color) { Repaint(pixelOff_, color); }

void TLCDLabel::SetBorderStyle(TMyBorder style) { Repaint(borderStyle_, style); }

void TLCDLabel::DefineChar(uint8_t code, const TGlyphRows& rows) {
    if (font_[code] == rows) return;
    font_[code] = rows;
    cellImages_[code] = QImage();
    if (onScreen_) {
        onScreen_->AddCells({{code, CellImage(code)}});
        onScreen_->PutCode(code);
        return;
    }
    UpdateCells([&](size_t k) { return CaptionCode(caption_, k) == code; });
}

QSize TLCDLabel::CellSize() const {
    const TMatrixGeometry g = Geometry();
    return {g.Cols * pixelWidth_ + (g.Cols - 1) * pixelSpacing_,
            g.Rows * pixelHeight_ + (g.Rows - 1) * pixelSpacing_};
}

QPoint TLCDLabel::CellOrigin(int line, int cell) const {
    const QSize size = CellSize();
    return {borderSpace_ + 1 + cell * (size.width() + charSpacing_),
            borderSpace_ + 1 + line * (size.height() + lineSpacing_)};
}

void TLCDLabel::Relayout() {
    ForgetCellImages();
    const QSize cell = CellSize();
    laidOut_ =
        QSize(2 * borderSpace_ + (noOfChars_ - 1) * charSpacing_ + noOfChars_ * cell.width() + 2,
              2 * borderSpace_ + (textLines_ - 1) * lineSpacing_ + textLines_ * cell.height() + 2);
    updateGeometry();
    resize(laidOut_);
    update();
}

void TLCDLabel::resizeEvent(QResizeEvent* event) {
    if (event->size() == laidOut_) return;
    // Resized from outside: as many cells as fit.
    const QSize cell = CellSize();
    noOfChars_ = std::max(1, (event->size().width() + charSpacing_ - 2 * borderSpace_) /
                                 (cell.width() + charSpacing_));
    textLines_ = std::max(1, (event->size().height() + lineSpacing_ - 2 * borderSpace_) /
                                 (cell.height() + lineSpacing_));
    Relayout();
}

bool TLCDLabel::DotOn(uint8_t code, int row, int col) const {
    if (dotMatrix_ == TDotMatrix::CustomFont && customFont_) return customFont_->On(code, row, col);
    return MatrixDotOn(font_, dotMatrix_, code, row, col);
}

void TLCDLabel::paintEvent(QPaintEvent* event) {
    // To the screen (not into a grab): drawn into an image, then put.
    if (onScreen_ && !redirected(nullptr)) {
        if (OpenSurface())
            onScreen_->Paint(laidOut_, event->region(),
                             [&](QPainter& painter, const std::string& caption) {
                                 Paint(painter, event->region(), caption);
                             });
        return;
    }
    QPainter painter(this);
    Paint(painter, event->region(), Caption());
}

void TLCDLabel::Paint(QPainter& painter, const QRegion& dirty, const std::string& caption) {
    const QPalette& pal = palette();
    const int width = laidOut_.width(), height = laidOut_.height();
    painter.fillRect(dirty.boundingRect(), BgrToColor(backGround_, pal));

    if (borderStyle_ != TMyBorder::frNone) {
        const uint32_t outline = borderStyle_ == TMyBorder::frRaised    ? kClBtnShadow
                                 : borderStyle_ == TMyBorder::frLowered ? kClBtnHighlight
                                                                        : borderColor_;
        painter.setPen(BgrToColor(outline, pal));
        painter.drawRect(0, 0, width - 1, height - 1);
        if (borderStyle_ != TMyBorder::frSingle) {
            painter.setPen(BgrToColor(
                borderStyle_ == TMyBorder::frRaised ? kClBtnHighlight : kClBtnShadow, pal));
            painter.drawLine(width - 1, 0, 0, 0);
            painter.drawLine(0, 0, 0, height - 1);
        }
    }
    if (!isEnabled()) return;

    const QSize cellSize = CellSize();
    for (int line = 0; line < textLines_; ++line) {
        for (int cell = 0; cell < noOfChars_; ++cell) {
            const QPoint origin = CellOrigin(line, cell);
            if (!dirty.intersects(QRect(origin, cellSize))) continue;
            const size_t k = static_cast<size_t>(line) * noOfChars_ + cell;
            painter.drawImage(origin, CellImage(CaptionCode(caption, k)));
        }
    }
}

void TLCDLabel::changeEvent(QEvent* event) {
    // The colours may come from the palette.
    if (event->type() == QEvent::PaletteChange) ForgetCellImages();
    if (event->type() == QEvent::EnabledChange) PublishLook();
    QWidget::changeEvent(event);
}

void TLCDLabel::ForgetCellImages() {
    cellImages_ = {};
    PublishLook();
}

const QImage& TLCDLabel::CellImage(uint8_t shown) const {
    const TMatrixGeometry g = Geometry();
    const int code = std::clamp(int{shown}, g.FirstCode, g.LastCode);
    QImage& image = cellImages_[static_cast<size_t>(code)];
    if (!image.isNull()) return image;
    const QPalette& pal = palette();
    // Opaque, as the window's own image: drawn with a plain copy, not blended.
    image = QImage(CellSize(), QImage::Format_RGB32);
    image.fill(BgrToColor(backGround_, pal));
    QPainter painter(&image);
    const QColor on = BgrToColor(pixelOn_, pal), off = BgrToColor(pixelOff_, pal),
                 shaded = BgrToColor(shaded_, pal);
    const int w = pixelWidth_, h = pixelHeight_;
    const bool single = pixelSize_ == TPixelSize::pix1x1;
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, pixelShape_ != TPixelShape::spSquare);
    for (int r = 0; r < g.Rows; ++r) {
        for (int c = 0; c < g.Cols; ++c) {
            const bool lit = DotOn(static_cast<uint8_t>(code), r, c);
            const QRect dot(c * (w + pixelSpacing_), r * (h + pixelSpacing_), w, h);
            if (single || pixelShape_ == TPixelShape::spSquare) {
                painter.fillRect(single ? QRect(dot.topLeft(), QSize(1, 1)) : dot, lit ? on : off);
            } else if (pixelShape_ == TPixelShape::spRound) {
                painter.setBrush(lit ? on : off);
                painter.drawEllipse(QRectF(dot));
            } else if (!lit) {
                painter.fillRect(dot, off);
            } else {
                painter.fillRect(dot, shaded);
                painter.setBrush(on);
                painter.drawEllipse(QRectF(dot));
            }
        }
    }
    return image;
}

} // namespace orv
