#include "shell/desktop/Artwork.h"

#include "font/Font5x8.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <string_view>

namespace orv {

namespace {

// Dots of text in the 5 x 8 font, one character cell 6 dots wide, from (left, top); a dot is
// pitch pixels apart and size pixels wide. Unlit dots are drawn in off when it is valid.
void PaintDotText(QPainter& painter, std::string_view text, QPointF origin, qreal pitch, qreal size,
                  const QColor& on, const QColor& off) {
    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i < text.size(); ++i) {
        const TGlyph5x8& glyph = Font5x8Glyph(static_cast<uint8_t>(text[i]));
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 5; ++col) {
                const bool lit = glyph[static_cast<size_t>(row)] & (0x10 >> col);
                if (!lit && !off.isValid()) continue;
                painter.setBrush(lit ? on : off);
                const QPointF at =
                    origin + QPointF((static_cast<qreal>(i) * 6 + col) * pitch, row * pitch);
                painter.drawRoundedRect(QRectF(at, QSizeF(size, size)), size * 0.2, size * 0.2);
            }
    }
}

// A panel glass with a bezel filling rect; returns the glass rectangle.
QRectF PaintPanel(QPainter& painter, const QRectF& rect, qreal bezel) {
    QLinearGradient frame(rect.topLeft(), rect.bottomLeft());
    frame.setColorAt(0, QColor(70, 76, 84));
    frame.setColorAt(1, QColor(24, 27, 32));
    painter.setPen(QPen(QColor(10, 12, 14), 1));
    painter.setBrush(frame);
    painter.drawRoundedRect(rect, bezel, bezel);
    const QRectF glass = rect.adjusted(bezel, bezel, -bezel, -bezel);
    QLinearGradient light(glass.topLeft(), glass.bottomRight());
    light.setColorAt(0, QColor(32, 86, 196));
    light.setColorAt(1, QColor(10, 38, 120));
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawRect(glass);
    return glass;
}

} // namespace

QImage SplashPicture() {
    QImage image(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, kSplashHeight);
    sky.setColorAt(0, QColor(16, 20, 36));
    sky.setColorAt(0.7, QColor(22, 44, 70));
    sky.setColorAt(1, QColor(8, 12, 22));
    painter.fillRect(image.rect(), sky);

    // A glow behind the panel, and a faint grid of dots like an unlit matrix.
    QRadialGradient glow(QPointF(260, 130), 260);
    glow.setColorAt(0, QColor(60, 140, 255, 90));
    glow.setColorAt(1, QColor(60, 140, 255, 0));
    painter.fillRect(image.rect(), glow);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 14));
    for (int y = 6; y < kSplashHeight; y += 12)
        for (int x = 6; x < kSplashWidth; x += 12) painter.drawEllipse(QPointF(x, y), 1.2, 1.2);

    // Two rows of 16 characters: the name in large dots, a line of the panel's own characters.
    const qreal pitch = 5.0;
    const QRectF glass = PaintPanel(painter, QRectF(36, 44, 448, 186), 14);
    const QColor on(236, 244, 255), off(40, 92, 200);
    const qreal textWidth = 16 * 6 * pitch - pitch;
    const qreal left = glass.left() + (glass.width() - textWidth) / 2;
    PaintDotText(painter, "    Orvanta3    ", QPointF(left, glass.top() + 26), pitch, 4, on, off);
    PaintDotText(painter, "   LCD  panel   ", QPointF(left, glass.top() + 26 + 12 * pitch), pitch,
                 4, on, off);

    // A ribbon below the panel, as on the edge of a board.
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawRect(QRectF(0, 262, kSplashWidth, 78));
    painter.setBrush(QColor(90, 170, 255));
    painter.drawRect(QRectF(0, 262, kSplashWidth, 2));
    return image;
}

QImage ProgramIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF glass =
        PaintPanel(painter, QRectF(s * 0.03, s * 0.15, s * 0.94, s * 0.70), s * 0.08);
    // "O3": two cells of 5 x 8 dots with one dot between them, centred on the glass.
    const qreal pitch = std::min(glass.width() / 12.0, glass.height() / 9.0);
    const QPointF origin(glass.center().x() - 5.5 * pitch, glass.center().y() - 4 * pitch);
    PaintDotText(painter, "O3", origin, pitch, pitch * 0.82, QColor(236, 244, 255), QColor());
    return image;
}

namespace {

// Paints the icon in the size asked for, when it is asked for.
class TProgramIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->drawImage(rect, ProgramIconImage(std::min(rect.width(), rect.height())));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(ProgramIconImage(std::min(size.width(), size.height())));
    }
    QIconEngine* clone() const override { return new TProgramIconEngine; }
};

} // namespace

QIcon ProgramIcon() { return QIcon(new TProgramIconEngine); }

} // namespace orv
