#include "virtual/ui/DotMatrix.h"

#include <QGridLayout>
#include <QToolButton>

namespace orv {

namespace {

constexpr uint8_t BitOfColumn(int column) { return static_cast<uint8_t>(0x10 >> column); }

} // namespace

TDotMatrix::TDotMatrix(QWidget& owner, QGridLayout& grid, int dotSize,
                       const std::function<QString(int, int)>& nameOf, const char* hint,
                       const std::function<void()>& clicked) {
    grid.setSpacing(1);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            auto* dot = new QToolButton(&owner);
            dot->setObjectName(nameOf(r, c));
            if (hint) dot->setToolTip(QString::fromUtf8(hint));
            dot->setCheckable(true);
            dot->setFixedSize(dotSize, dotSize);
            dot->setStyleSheet("QToolButton { background: #e8e8e8; border: 1px solid #a0a0a0; }"
                               "QToolButton:checked { background: #202020; }");
            QObject::connect(dot, &QToolButton::clicked, &owner, clicked);
            grid.addWidget(dot, r, c);
            dots_[r][c] = dot;
        }
    }
}

TGlyphRows TDotMatrix::Rows() const {
    TGlyphRows rows{};
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            if (dots_[r][c]->isChecked()) rows[r] |= BitOfColumn(c);
    return rows;
}

void TDotMatrix::SetRows(const TGlyphRows& rows) {
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) dots_[r][c]->setChecked(rows[r] & BitOfColumn(c));
}

void TDotMatrix::Invert() {
    TGlyphRows rows = Rows();
    for (uint8_t& row : rows) row = static_cast<uint8_t>(~row & 0x1F);
    SetRows(rows);
}

} // namespace orv
