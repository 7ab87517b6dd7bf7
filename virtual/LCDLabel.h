// TLCDLabel: text drawn as a dot-matrix character LCD. A grid of TextLines x NoOfChars cells,
// each a matrix of square, round or shaded dots in an on and an off colour, on a background
// with an optional frame. The caption's bytes (Windows-1251, display codes 1..8 for the
// user-defined characters) fill the cells line after line; cells past its end show code 0.
//
// The control sizes itself to its cells: a property change resizes it, and when something else
// resizes it (a layout, the user), NoOfChars and TextLines become what fits and the control
// takes their exact size. Paint on the GUI thread only.
//
// On X11 the control is a window of its own that it paints itself: changed cells go straight
// to the X server, without a pass of Qt's repaint machinery, and another thread may show
// captions through OnScreen() without waking the GUI thread; elsewhere Qt paints it.
#pragma once

#include "engine/CustomGlyph.h"
#include "virtual/DotMatrixFont.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPainter;

namespace orv {

// pix1x1..pix16x16: square dots of N x N screen pixels; pixCustom: PixelWidth x PixelHeight.
enum class TPixelSize {
    pix1x1,
    pix2x2,
    pix3x3,
    pix4x4,
    pix5x5,
    pix6x6,
    pix7x7,
    pix8x8,
    pix9x9,
    pix10x10,
    pix11x11,
    pix12x12,
    pix13x13,
    pix14x14,
    pix15x15,
    pix16x16,
    pixCustom,
};
enum class TPixelShape { spSquare, spShaped, spRound };
enum class TMyBorder { frRaised, frLowered, frSingle, frNone };

class TOnScreenPanel;

class TLCDLabel : public QWidget {
    Q_OBJECT
public:
    explicit TLCDLabel(QWidget* parent = nullptr);
    ~TLCDLabel() override;

    // The setters of numbers refuse values out of range with an error message and return false;
    // the property then keeps its value. Setting the current value does nothing.
    std::string Caption() const;
    void SetCaption(std::string_view cp1251); // at most 255 bytes are drawn
    // While the control paints itself: what it shows, for another thread to show captions
    // with (TOnScreenPanel::ShowCaption) without a pass of the GUI thread. Else null.
    std::shared_ptr<TOnScreenPanel> OnScreen() const { return onScreen_; }
    // While the control paints itself, shows caption in the order of sequence as
    // TOnScreenPanel::ShowCaption does, drawing the characters it lacks; false when it does
    // not paint itself (now).
    bool ShowOnScreen(std::string_view caption, uint64_t sequence);

    TDotMatrix DotMatrix() const { return dotMatrix_; }
    // CustomFont loads CustomFontFile(); when that fails the matrix stays (mat5x7 if it was
    // CustomFont) and false comes back.
    bool SetDotMatrix(TDotMatrix matrix);
    const std::string& CustomFontFile() const { return customFontFile_; }
    void SetCustomFontFile(std::string path) { customFontFile_ = std::move(path); }

    TPixelSize PixelSize() const { return pixelSize_; }
    void SetPixelSize(TPixelSize size);
    int PixelWidth() const { return pixelWidth_; }
    int PixelHeight() const { return pixelHeight_; }
    // Ignored (true) unless PixelSize is pixCustom.
    bool SetPixelWidth(int width);
    bool SetPixelHeight(int height);
    TPixelShape PixelShape() const { return pixelShape_; }
    void SetPixelShape(TPixelShape shape);

    int PixelSpacing() const { return pixelSpacing_; }
    int CharSpacing() const { return charSpacing_; }
    int LineSpacing() const { return lineSpacing_; }
    int BorderSpace() const { return borderSpace_; }
    int TextLines() const { return textLines_; }
    int NoOfChars() const { return noOfChars_; }
    bool SetPixelSpacing(int value);
    bool SetCharSpacing(int value);
    bool SetLineSpacing(int value);
    bool SetBorderSpace(int value);
    bool SetTextLines(int value);
    bool SetNoOfChars(int value);

    // Colours are 0x00BBGGRR (virtual/BgrColor.h).
    uint32_t BackGround() const { return backGround_; }
    uint32_t BorderColor() const { return borderColor_; }
    uint32_t PixelOn() const { return pixelOn_; }
    uint32_t PixelOff() const { return pixelOff_; }
    // PixelOn with each of red, green and blue halved.
    uint32_t ShadedColor() const { return shaded_; }
    TMyBorder BorderStyle() const { return borderStyle_; }
    void SetBackGround(uint32_t color);
    void SetBorderColor(uint32_t color);
    void SetPixelOn(uint32_t color);
    void SetPixelOff(uint32_t color);
    void SetBorderStyle(TMyBorder style);

    // The 5 x 8 font this control draws from; code 1..8 take the panel's user-defined
    // characters.
    void DefineChar(uint8_t code, const TGlyphRows& rows);
    const std::array<TGlyph5x8, 256>& Font() const { return font_; }

    // Where cell (line, cell) starts and how large one cell is, in control pixels.
    QPoint CellOrigin(int line, int cell) const;
    QSize CellSize() const;

    QSize sizeHint() const override { return laidOut_; }
    // null while the control paints itself.
    QPaintEngine* paintEngine() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TMatrixGeometry Geometry() const;
    bool DotOn(uint8_t code, int row, int col) const;
    // One cell showing code, drawn once and kept until the look or the character changes.
    const QImage& CellImage(uint8_t code) const;
    void ForgetCellImages();
    // Paints each cell k for which changed(k) holds: at once while shown, else when shown.
    void UpdateCells(const std::function<bool(size_t)>& changed);
    // The frame and the cells of caption within dirty.
    void Paint(QPainter& painter, const QRegion& dirty, const std::string& caption);
    // Whether the window has a surface to paint on; without one, Qt paints from now on.
    bool OpenSurface();
    // The look as onScreen_ needs it, after every change of it.
    void PublishLook();
    // The images of the codes caption shows.
    std::vector<std::pair<uint8_t, QImage>> CellsOf(std::string_view caption) const;
    bool SetCount(int& field, int value, int minimum, const char* message);
    // Stores a value that changes only how the cells look.
    template <typename T> void Repaint(T& field, T value) {
        if (field == value) return;
        field = value;
        ForgetCellImages();
        update();
    }
    void Relayout();

    std::string caption_; // while Qt paints the control
    TDotMatrix dotMatrix_ = TDotMatrix::mat5x7;
    std::string customFontFile_;
    std::optional<TCustomFont> customFont_;
    TPixelSize pixelSize_ = TPixelSize::pix2x2;
    int pixelWidth_ = 2;
    int pixelHeight_ = 2;
    TPixelShape pixelShape_ = TPixelShape::spSquare;
    int pixelSpacing_ = 1;
    int charSpacing_ = 2;
    int lineSpacing_ = 2;
    int borderSpace_ = 3;
    int textLines_ = 1;
    int noOfChars_ = 10;
    uint32_t backGround_ = 0xC0C0C0;
    TMyBorder borderStyle_ = TMyBorder::frLowered;
    uint32_t borderColor_ = 0;
    uint32_t pixelOn_ = 0;
    uint32_t pixelOff_ = 0xAAAAAA;
    uint32_t shaded_ = 0;
    std::array<TGlyph5x8, 256> font_;
    QSize laidOut_; // the size the cells need, which the control last took
    mutable std::array<QImage, 256> cellImages_; // by code; null: not drawn yet
    std::shared_ptr<TOnScreenPanel> onScreen_;   // while the control paints itself
};

} // namespace orv
