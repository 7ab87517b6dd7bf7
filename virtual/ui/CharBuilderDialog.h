// The character matrix editor "Рисование символа": one 5 x 8 user-defined character drawn by
// toggling dots, given and taken back as a mask text "'1;x00;x0E;x11;x11;x1F;x11;x11;x00'".
//
// Use:
//     TfrmCharBuilder builder(this);
//     builder.Load(maskText);                 // Windows-1251, as a tag argument holds it
//     if (builder.exec() == QDialog::Accepted) use(builder.MaskText());
#pragma once

#include "engine/CustomGlyph.h"
#include "virtual/ui/DotMatrix.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>
#include <string_view>

class QLineEdit;

namespace orv {

class TfrmCharBuilder : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCharBuilder(QWidget* parent = nullptr);

    // The number and the dots of a mask text; what it lacks reads as number 1 and empty rows.
    void Load(std::string_view maskText);
    // The mask text the window shows (edMask).
    std::string MaskText() const;

    void ApplyLanguage(const std::string& language, const std::string& lngPath);

    void done(int result) override;

private:
    void SetMatrixRows(const TGlyphRows& rows);
    void ShowRows();
    void UpdateMask();
    void StepNumber(int step);
    void ClearMatrix();
    void InvertMatrix();
    bool NumberAccepted();

    std::unique_ptr<TDotMatrix> matrix_;
    std::array<QLineEdit*, 8> rowEdits_{};
    QLineEdit* edNo_;
    QLineEdit* edMask_;
};

} // namespace orv
