// Settings page "Определения символов" (tsCustomChars): the table of named 5 x 8 glyphs with a
// dot matrix to edit the selected one, new and deleted glyphs, and the mapping of the bar pieces
// to the characters that draw them. The page works on a copy of the tables; the save hands the
// copy to the running program.
#pragma once

#include "engine/Charsets.h"
#include "virtual/ui/DotMatrix.h"

#include <QWidget>

#include <array>
#include <memory>
#include <string>
#include <utility>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace orv {

class TCustomCharsPage : public QWidget {
    Q_OBJECT
public:
    explicit TCustomCharsPage(QWidget* parent = nullptr);

    void Fill(const TCharsets& charsets);
    // The language of the character matrix editor the page opens (Windows-1251 section name of
    // the language file at lngPath).
    void SetLanguage(std::string language, std::string lngPath) {
        language_ = std::move(language);
        languagePath_ = std::move(lngPath);
    }
    // The edited tables into charsets (glyphs and mapping; the slots stay as they are).
    void Take(TCharsets& charsets) const;

private:
    int SelectedEntry() const; // 0 when none
    void ShowSelected();
    TGlyphRows MatrixRows() const;
    void SetMatrixRows(const TGlyphRows& rows);
    void MatrixEdited();
    void ClearMatrix();
    void InvertMatrix();
    void ApplyMatrix();
    void MaskEdited();
    void DrawGlyph();
    void NewGlyph();
    void DeleteGlyph();
    int MappingSet() const; // 0 horizontal bar, 1 vertical bar
    void ShowMapping();
    void ShowPiece(int piece);

    TCharsets edited_;
    std::string language_;
    std::string languagePath_;
    QListWidget* lbCustomChars_;
    std::unique_ptr<TDotMatrix> matrix_;
    QPushButton* btnClearCustomCharBuilder_;
    QPushButton* btnRevertCustomCharBuilder_;
    QPushButton* btnApplyCustomChar_;
    QLineEdit* edCustomCharMask_;
    QPushButton* btnDrawCustomChar_;
    QPushButton* btnNewCustomChar_;
    QPushButton* btnDeleteCustomChar_;
    QComboBox* cbMappingSet_;
    std::array<QToolButton*, 8> mappingPieces_{};
};

} // namespace orv
