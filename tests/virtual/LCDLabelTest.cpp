#include "virtual/LCDLabel.h"

#include "font/Font5x8.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/ModalDialog.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fstream>

namespace orv::test {
namespace {

constexpr uint32_t kOn = 0xFFFFFF, kOff = 0x404040, kBack = 0x800000;

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    widget.render(&image);
    return image;
}

// A label as the virtual display uses it, in colours that tell the dots apart.
struct TPanelLabel {
    QApplication& app = OffscreenApp();
    TLCDLabel label;
    TPanelLabel(int lines, int chars) {
        label.SetDotMatrix(TDotMatrix::mat5x8);
        label.SetBorderStyle(TMyBorder::frNone);
        label.SetPixelOn(kOn);
        label.SetPixelOff(kOff);
        label.SetBackGround(kBack);
        label.SetTextLines(lines);
        label.SetNoOfChars(chars);
    }
};

TEST(LCDLabel, RenderedCellsLightExactlyTheFontsDotsWithTheUserDefinedCharacter) {
    TPanelLabel panel(2, 5);
    const TGlyphRows custom{0x1F, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x1F, 0x00};
    panel.label.DefineChar(1, custom);
    // "A", user-defined character 1, "Д", "я", "№" on line 0; line 1 is shorter than the
    // display, so its remaining cells show code 0 (blank).
    const std::string caption = std::string("A\x01\xC4\xFF\xB9") + "ab";
    panel.label.SetCaption(caption);
    const QImage image = Render(panel.label);
    ASSERT_EQ(image.size(), panel.label.size());

    const int w = panel.label.PixelWidth(), h = panel.label.PixelHeight();
    const int step = panel.label.PixelSpacing();
    int litDots = 0;
    for (int line = 0; line < 2; ++line) {
        for (int cell = 0; cell < 5; ++cell) {
            const size_t k = static_cast<size_t>(line) * 5 + cell;
            const uint8_t code = k < caption.size() ? static_cast<uint8_t>(caption[k]) : 0;
            const TGlyph5x8 glyph = code == 1 ? custom : Font5x8Glyph(code);
            const QPoint origin = panel.label.CellOrigin(line, cell);
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 5; ++c) {
                    const bool lit = (glyph[r] >> (4 - c)) & 1;
                    litDots += lit;
                    const QRgb dot = image.pixel(origin.x() + c * (w + step) + w / 2,
                                                 origin.y() + r * (h + step) + h / 2);
                    EXPECT_EQ(dot, lit ? 0xFFFFFFFFu : 0xFF404040u)
                        << "line " << line << " cell " << cell << " row " << r << " col " << c;
                }
        }
    }
    // Nothing else on the control is lit: the lit screen pixels are the dots' and no more.
    int litPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) litPixels += image.pixel(x, y) == 0xFFFFFFFFu;
    EXPECT_EQ(litPixels, litDots * w * h);
    EXPECT_GT(litDots, 0);

    // Cells once drawn are kept: a new user character and a new dot colour show at the next
    // paint, in the cells of that character and in every cell.
    const TGlyphRows ring{0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E, 0x00, 0x1F};
    panel.label.DefineChar(1, ring);
    panel.label.SetPixelOn(0x00FF00);
    const QImage again = Render(panel.label);
    for (int cell = 0; cell < 2; ++cell) {
        const TGlyph5x8 glyph = cell == 1 ? ring : Font5x8Glyph('A');
        const QPoint origin = panel.label.CellOrigin(0, cell);
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 5; ++c) {
                const bool lit = (glyph[r] >> (4 - c)) & 1;
                EXPECT_EQ(again.pixel(origin.x() + c * (w + step) + w / 2,
                                      origin.y() + r * (h + step) + h / 2),
                          lit ? 0xFF00FF00u : 0xFF404040u)
                    << "cell " << cell << " row " << r << " col " << c;
            }
    }
}

TEST(LCDLabel, SizesItselfToItsCellsAndFitsCellsToAnOutsideSize) {
    TPanelLabel panel(2, 16);
    EXPECT_EQ(panel.label.CellSize(), QSize(14, 23));
    EXPECT_EQ(panel.label.size(), QSize(2 * 3 + 15 * 2 + 16 * 14 + 2, 2 * 3 + 1 * 2 + 2 * 23 + 2));
    panel.label.show(); // a hidden widget learns of its new size when shown
    panel.label.resize(300, 60);
    EXPECT_EQ(panel.label.NoOfChars(), 18);
    EXPECT_EQ(panel.label.TextLines(), 2);
    EXPECT_EQ(panel.label.size(), QSize(294, 56));
    panel.label.resize(5, 5); // smaller than one cell: still one
    EXPECT_EQ(panel.label.NoOfChars(), 1);
    EXPECT_EQ(panel.label.TextLines(), 1);
}

TEST(LCDLabel, RefusedValuesKeepTheOldOneAndSayWhy) {
    TPanelLabel panel(2, 16);
    ClearShownMessages();
    EXPECT_FALSE(panel.label.SetNoOfChars(0));
    EXPECT_FALSE(panel.label.SetCharSpacing(-1));
    EXPECT_TRUE(panel.label.SetBorderSpace(0)); // zero is allowed
    EXPECT_EQ(panel.label.NoOfChars(), 16);
    EXPECT_EQ(panel.label.CharSpacing(), 2);
    const auto shown = ShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Display needs at least one character!");
    EXPECT_EQ(shown[1].text, "Character spacing can't be less than zero!");

    // Pixel width and height follow PixelSize unless it is pixCustom.
    panel.label.SetPixelWidth(3);
    EXPECT_EQ(panel.label.PixelWidth(), 2);
    panel.label.SetPixelSize(TPixelSize::pix4x4);
    EXPECT_EQ(panel.label.PixelHeight(), 4);
    panel.label.SetPixelSize(TPixelSize::pixCustom);
    EXPECT_TRUE(panel.label.SetPixelWidth(3));
    EXPECT_EQ(panel.label.CellSize(), QSize(5 * 3 + 4, 8 * 4 + 7));

    panel.label.SetPixelOn(0x00FF8041);
    EXPECT_EQ(panel.label.ShadedColor(), 0x007F4020u);
}

TEST(LCDLabel, CodesOutsideTheMatrixRangeDrawAsItsNearestEnd) {
    TPanelLabel panel(1, 1);
    panel.label.SetDotMatrix(TDotMatrix::mat5x7);
    panel.label.SetCaption("\xFF"); // above 223
    const QImage high = Render(panel.label);
    panel.label.SetCaption("\xDF");
    EXPECT_EQ(Render(panel.label), high);
    panel.label.SetCaption("\xC0");
    EXPECT_NE(Render(panel.label), high);
}

TEST(LCDLabel, CustomFontComesFromItsFileOrTheMatrixStays) {
    TempDir dir;
    TPanelLabel panel(1, 1);
    panel.label.SetCustomFontFile(dir.Path() + "/missing.fnt");
    EXPECT_FALSE(panel.label.SetDotMatrix(TDotMatrix::CustomFont));
    EXPECT_EQ(panel.label.DotMatrix(), TDotMatrix::mat5x8);

    // 3 x 2 dots, code 65 only: "X.X" over ".X." (0 = on in the file).
    const std::string path = dir.Path() + "/tiny.fnt";
    {
        std::ofstream out(path, std::ios::binary);
        for (int32_t v : {3, 2, 65, 65}) out.write(reinterpret_cast<const char*>(&v), 4);
        const char dots[] = {0, 1, 0, 1, 0, 1};
        out.write(dots, sizeof dots);
    }
    panel.label.SetCustomFontFile(path);
    ASSERT_TRUE(panel.label.SetDotMatrix(TDotMatrix::CustomFont));
    EXPECT_EQ(panel.label.CellSize(), QSize(3 * 2 + 2, 2 * 2 + 1));
    panel.label.SetCaption("A");
    const QImage image = Render(panel.label);
    const QPoint o = panel.label.CellOrigin(0, 0);
    EXPECT_EQ(image.pixel(o.x(), o.y()), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(o.x() + 3, o.y()), 0xFF404040u);
    EXPECT_EQ(image.pixel(o.x() + 3, o.y() + 3), 0xFFFFFFFFu);
}

} // namespace
} // namespace orv::test
