// Window texts from language files. Each window has a key prefix ("1_" main window, "2_" tag
// parameter editor, "3_" virtual display, "4_" start-up and information window, "6_" character
// matrix editor, "7_" settings dialog of a data module, "" any other) and its texts are keyed
//
//     prefix + (base + 10 * i + part)      part 1: visible text, part 2: tooltip
//
// where i is the control's position (from 0) in the window's list of components and base comes
// from the control's kind. The list is the window's object tree, depth first, each parent's
// children in the order they were added: for a window built top-down that is creation order.
// Every QWidget and QAction counts, except Qt's own internals (objects named "qt_...") and
// child windows other than menus (they translate themselves), and the walk does not go into the
// controls of the kinds below. Only controls of exactly these classes
// take part (a subclass does not):
//
//     QCheckBox          10000  text, tooltip
//     QLabel             20000  text, tooltip (a label that is the buddy of a QLineEdit goes
//                               with that edit instead)
//     QLineEdit          30000  -, tooltip; with a buddy label: 40000, the label's text, tooltip
//     QToolButton,       50000  text, tooltip
//     QPushButton
//     QGroupBox          60000  title
//     QComboBox          70000  -, tooltip
//     QAction            80000  text (also a submenu's title), tooltip
//     QTabWidget,        90000  -
//     QTableWidget
//     TRunTimeText      100000  text (numbered apart, in the order they were made)
//
// Part 3 holds the item texts of a control marked with TranslateItems (a combo box's items, a
// tab widget's tab titles, a table's column titles), "|" between them; a translation with
// another number of items is left out. The window's own title has the key prefix + "1". Texts in
// the files are Windows-1251; the widgets get UTF-8.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

class QWidget;

namespace orv {

// A text the window shows only at run time rather than in a control (a message, a file filter,
// the start of an answer): made with the window's built-in text before the window is translated,
// it is translated and written to templates with the window's controls. The text is the child
// object's property kRunTimeTextProperty, so code in other libraries finds it by name.
inline constexpr char kRunTimeTextProperty[] = "orvanta3RunTimeText";
class TRunTimeText final : public QObject {
public:
    TRunTimeText(QWidget& window, const QString& builtIn);
    QString Text() const;
    void SetText(const QString& text);
};

// Marks a control whose items are texts of the window (not data, such as file or language
// names): they are translated with it.
void TranslateItems(QWidget& control);

// Sets every text whose key the section languageName of the file holds; absent keys leave the
// text as it is, and so does a file or section that does not exist. An empty languageName (the
// built-in language) brings back the texts the window had at its first call.
// languageName is Windows-1251 (as "Language" in the settings); lngPath is a file path.
void ApplyWindowLanguage(QWidget& window, std::string_view prefix, const std::string& languageName,
                         const std::string& lngPath);

// Template switch: deletes the file, then writes every non-empty text of the window into
// section "RU" under its key. False when the file could not be written.
bool WriteWindowLanguageTemplate(QWidget& window, std::string_view prefix,
                                 const std::string& lngPath);

// The same for one more window of the program: keeps what the file holds under other prefixes
// and writes the window's texts to section "RU" in place of those under its prefix. False when the
// file could not be written.
bool AddWindowLanguageTemplate(QWidget& window, std::string_view prefix,
                               const std::string& lngPath);

// The template switch: the first argument is exactly "/create_lang_file" (or
// "--create-lang-file"). argv[0] is the program.
bool LanguageTemplateRequested(int argc, char** argv);
// The same for QCoreApplication::arguments(), for code that has no argv (dialog libraries).
bool LanguageTemplateRequested(const QStringList& arguments);

} // namespace orv
