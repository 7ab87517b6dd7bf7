// The tag parameter editor "Редактор параметров тега": one tag of a job line taken apart into
// its items (argument, left, width, refresh, format), edited with controls and ready-made
// arguments, and written back as tag text.
//
// Use:
//     TModuleCatalogue catalogue(core.Host());
//     TfrmEquation dialog("$time[5,,,3]$", catalogue, this); // Windows-1251 tag text
//     dialog.ApplyLanguage(settings.Common.Language, languagePath); // optional
//     if (dialog.exec() == QDialog::Accepted) Insert(dialog.TagText());
//
// The catalogue gives the tag names of the data modules that are on and, when the drives module
// is on, its drives; it is asked once, while the dialog is built (the display thread must not
// run then). TagText() is the preview's text at any time, also before exec().
#pragma once

#include "engine/TagParameters.h"
#include "host/modulehost/TagChoices.h"

#include <QDialog>

#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace orv {

class TfrmEquation : public QDialog {
    Q_OBJECT
public:
    TfrmEquation(std::string_view tagText, TModuleCatalogue& catalogue, QWidget* parent = nullptr);
    TfrmEquation(std::string_view tagText, const TTagChoices& choices, QWidget* parent = nullptr);

    // The window's texts, and those of the character matrix editor it opens, from section
    // language of the language file at lngPath (Windows-1251 name; nothing when it is empty or
    // the file is missing).
    void ApplyLanguage(const std::string& language, const std::string& lngPath);

    // The rebuilt tag (Windows-1251): what the preview shows.
    const std::string& TagText() const { return tagText_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls(const TTagChoices& choices);
    void BuildVariants(const TTagChoices& choices);
    void Fill(std::string_view tagText);
    TTagParameters Parameters() const;
    void UpdatePreview();
    void ShowVariants();
    void DrawMask();

    std::vector<std::string> tagItems_; // cbTags' items, Windows-1251
    std::string tagText_;
    std::string language_; // for the character matrix editor it opens
    std::string lngPath_;
    QComboBox* cbTags_;
    QLineEdit* edIndex_;
    QToolButton* btnSelectVariant_;
    QLineEdit* edLeft_;
    QLineEdit* edWidth_;
    QCheckBox* cbRefresh_;
    QComboBox* edRefresh_;
    QComboBox* edFormatType_;
    QLabel* pnPreview_;
    QMenu* pmVariants_;
};

} // namespace orv
