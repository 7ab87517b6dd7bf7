#include "base/ui/WindowLanguage.h"

#include "base/AtomicFile.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/LanguageFile.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>

#include <cstring>
#include <functional>
#include <vector>

namespace orv {

namespace {

enum TKindBase : int {
    kbCheckBox = 10000,
    kbLabel = 20000,
    kbEdit = 30000,
    kbLabeledEdit = 40000,
    kbToolButton = 50000,
    kbGroupBox = 60000,
    kbComboBox = 70000,
    kbMenuItem = 80000,
    kbItemList = 90000,
    kbRunTimeText = 100000,
};

constexpr int kItemsPart = 3;
constexpr char kTranslateItemsProperty[] = "orvanta3TranslateItems";
const QString kItemSeparator = QStringLiteral("|");

// One translatable text of the window: its key, its current text and how to set it.
struct TWindowText {
    std::string Key;
    QString Text;
    std::function<void(const QString&)> Set;
    QObject* Owner; // the control the text belongs to
    int Part;       // 0 the window's title, 1 a visible text, 2 a tooltip, 3 items
};

// The item texts of a control: count() items, got by index and set by index.
template <typename Count, typename Get, typename SetOne>
std::pair<std::function<QString()>, std::function<void(const QString&)>>
ItemTexts(Count count, Get get, SetOne set) {
    return {[=] {
                QStringList items;
                for (int j = 0; j < count(); ++j) items << get(j);
                return items.join(kItemSeparator);
            },
            [=](const QString& joined) {
                const QStringList items = joined.split(kItemSeparator);
                if (items.size() != count()) return;
                for (int j = 0; j < count(); ++j) set(j, items[j].trimmed());
            }};
}

template <typename T> bool Is(const QObject* object) {
    return object->metaObject() == &T::staticMetaObject;
}

// Controls whose insides are their own: the walk counts them and does not go into them.
bool IsLeaf(const QObject* object) {
    return Is<QCheckBox>(object) || Is<QLabel>(object) || Is<QLineEdit>(object) ||
           Is<QToolButton>(object) || Is<QPushButton>(object) || Is<QComboBox>(object) ||
           qobject_cast<const QAbstractItemView*>(object) ||
           qobject_cast<const QAbstractSpinBox*>(object);
}

// A window of its own among the children (the virtual display) translates itself under its own
// prefix; a menu is part of the window that owns it.
bool IsOtherWindow(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget);
}

bool Counts(const QObject* object) {
    return (object->isWidgetType() || qobject_cast<const QAction*>(object)) &&
           !object->objectName().startsWith(QLatin1String("qt_"));
}

void ListComponents(const QObject& parent, std::vector<QObject*>& out) {
    for (QObject* child : parent.children()) {
        if (IsOtherWindow(child)) continue;
        if (Counts(child)) out.push_back(child);
        if (!IsLeaf(child)) ListComponents(*child, out);
    }
}

// The tooltip an action was given; Qt answers the action's text when it has none.
QString ActionToolTip(const QAction& action) {
    const QString tip = action.toolTip();
    return tip == QAction(action.text()).toolTip() ? QString() : tip;
}

class TWindowTexts {
public:
    TWindowTexts(QWidget& window, std::string_view prefix) : prefix_(prefix) {
        texts_.push_back({Key(1), window.windowTitle(),
                          [&window](const QString& t) { window.setWindowTitle(t); }, &window, 0});
        std::vector<QObject*> components;
        ListComponents(window, components);
        QHash<const QObject*, QLabel*> buddyOf; // line edit -> its label
        for (QObject* object : components)
            if (auto* label = Is<QLabel>(object) ? static_cast<QLabel*>(object) : nullptr)
                if (label->buddy() && Is<QLineEdit>(label->buddy()))
                    buddyOf.insert(label->buddy(), label);
        for (size_t i = 0; i < components.size(); ++i)
            Add(*components[i], static_cast<int>(i), buddyOf);
        int i = 0;
        for (QObject* text : window.children())
            if (text->property(kRunTimeTextProperty).isValid())
                Part(
                    text, kbRunTimeText, i++, 1,
                    [text] { return text->property(kRunTimeTextProperty).toString(); },
                    [text](const QString& t) { text->setProperty(kRunTimeTextProperty, t); });
    }

    std::vector<TWindowText> Take() { return std::move(texts_); }

private:
    std::string Key(int number) const { return prefix_ + std::to_string(number); }

    template <typename Get, typename Set>
    void Part(QObject* owner, int base, int i, int part, Get get, Set set) {
        texts_.push_back({Key(base + 10 * i + part), get(), set, owner, part});
    }

    template <typename W> void TextAndTip(W* w, int base, int i) {
        Part(
            w, base, i, 1, [w] { return w->text(); }, [w](const QString& t) { w->setText(t); });
        Tip(w, base, i);
    }

    void Tip(QWidget* w, int base, int i) {
        Part(
            w, base, i, 2, [w] { return w->toolTip(); },
            [w](const QString& t) { w->setToolTip(t); });
    }

    void Items(QWidget& w, int base, int i) {
        if (!w.property(kTranslateItemsProperty).toBool()) return;
        std::pair<std::function<QString()>, std::function<void(const QString&)>> texts;
        if (auto* combo = qobject_cast<QComboBox*>(&w)) {
            texts = ItemTexts([combo] { return combo->count(); },
                              [combo](int j) { return combo->itemText(j); },
                              [combo](int j, const QString& t) { combo->setItemText(j, t); });
        } else if (auto* tabs = qobject_cast<QTabWidget*>(&w)) {
            texts = ItemTexts([tabs] { return tabs->count(); },
                              [tabs](int j) { return tabs->tabText(j); },
                              [tabs](int j, const QString& t) { tabs->setTabText(j, t); });
        } else if (auto* table = qobject_cast<QTableWidget*>(&w)) {
            texts = ItemTexts([table] { return table->columnCount(); },
                              [table](int j) {
                                  const QTableWidgetItem* item = table->horizontalHeaderItem(j);
                                  return item ? item->text() : QString();
                              },
                              [table](int j, const QString& t) {
                                  table->setHorizontalHeaderItem(j, new QTableWidgetItem(t));
                              });
        } else {
            return;
        }
        Part(&w, base, i, kItemsPart, texts.first, texts.second);
    }

    void Add(QObject& object, int i, const QHash<const QObject*, QLabel*>& buddyOf) {
        if (Is<QCheckBox>(&object)) {
            TextAndTip(static_cast<QCheckBox*>(&object), kbCheckBox, i);
        } else if (Is<QLabel>(&object)) {
            auto* label = static_cast<QLabel*>(&object);
            if (label->buddy() && buddyOf.value(label->buddy()) == label) return;
            TextAndTip(label, kbLabel, i);
        } else if (Is<QLineEdit>(&object)) {
            auto* edit = static_cast<QLineEdit*>(&object);
            if (QLabel* label = buddyOf.value(edit)) {
                Part(
                    label, kbLabeledEdit, i, 1, [label] { return label->text(); },
                    [label](const QString& t) { label->setText(t); });
                Tip(edit, kbLabeledEdit, i);
            } else {
                Tip(edit, kbEdit, i);
            }
        } else if (Is<QToolButton>(&object)) {
            TextAndTip(static_cast<QToolButton*>(&object), kbToolButton, i);
        } else if (Is<QPushButton>(&object)) {
            TextAndTip(static_cast<QPushButton*>(&object), kbToolButton, i);
        } else if (Is<QGroupBox>(&object)) {
            auto* box = static_cast<QGroupBox*>(&object);
            Part(
                box, kbGroupBox, i, 1, [box] { return box->title(); },
                [box](const QString& t) { box->setTitle(t); });
        } else if (Is<QComboBox>(&object)) {
            Tip(static_cast<QComboBox*>(&object), kbComboBox, i);
            Items(*static_cast<QComboBox*>(&object), kbComboBox, i);
        } else if (Is<QTabWidget>(&object) || Is<QTableWidget>(&object)) {
            Items(*static_cast<QWidget*>(&object), kbItemList, i);
        } else if (Is<QAction>(&object)) {
            auto* action = static_cast<QAction*>(&object);
            Part(
                action, kbMenuItem, i, 1, [action] { return action->text(); },
                [action](const QString& t) { action->setText(t); });
            Part(
                action, kbMenuItem, i, 2, [action] { return ActionToolTip(*action); },
                [action](const QString& t) { action->setToolTip(t); });
        }
    }

    std::string prefix_;
    std::vector<TWindowText> texts_;
};

std::vector<TWindowText> WindowTexts(QWidget& window, std::string_view prefix) {
    return TWindowTexts(window, prefix).Take();
}

const char* BuiltInProperty(int part) {
    static constexpr const char* kNames[] = {"orvanta3BuiltInTitle", "orvanta3BuiltInText",
                                             "orvanta3BuiltInTip", "orvanta3BuiltInItems"};
    return kNames[part];
}

QString FromFile(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }
std::string ToFile(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

} // namespace

TRunTimeText::TRunTimeText(QWidget& window, const QString& builtIn) : QObject(&window) {
    SetText(builtIn);
}

QString TRunTimeText::Text() const { return property(kRunTimeTextProperty).toString(); }
void TRunTimeText::SetText(const QString& text) { setProperty(kRunTimeTextProperty, text); }

void TranslateItems(QWidget& control) { control.setProperty(kTranslateItemsProperty, true); }

void ApplyWindowLanguage(QWidget& window, std::string_view prefix, const std::string& languageName,
                         const std::string& lngPath) {
    const std::vector<TWindowText> texts = WindowTexts(window, prefix);
    // Each control keeps its built-in texts from the first time it is seen here: the way back
    // from a language (controls come and go, so their keys may move).
    for (const TWindowText& text : texts) {
        const char* property = BuiltInProperty(text.Part);
        if (!text.Owner->property(property).isValid()) text.Owner->setProperty(property, text.Text);
    }
    if (languageName.empty()) {
        for (const TWindowText& text : texts)
            text.Set(text.Owner->property(BuiltInProperty(text.Part)).toString());
        return;
    }
    const auto file = ReadLanguageFile(lngPath, languageName);
    if (!file || !file->HasSection(languageName)) return;
    for (const TWindowText& text : texts)
        if (auto translated = file->Find(languageName, text.Key)) text.Set(FromFile(*translated));
}

bool WriteWindowLanguageTemplate(QWidget& window, std::string_view prefix,
                                 const std::string& lngPath) {
    TIniDocument file;
    for (const TWindowText& text : WindowTexts(window, prefix))
        if (!text.Text.isEmpty()) file.WriteString("RU", text.Key, ToFile(text.Text));
    return WriteFileAtomic(lngPath, Cp1251ToFileText(file.Serialize()));
}

bool AddWindowLanguageTemplate(QWidget& window, std::string_view prefix,
                               const std::string& lngPath) {
    const std::vector<TWindowText> texts = WindowTexts(window, prefix);
    return TIniFile(lngPath).Update([&texts, prefix](TIniDocument& file) {
        // The window's keys of an earlier template go: its controls may have moved.
        if (!prefix.empty())
            for (const std::string& key : file.Keys("RU"))
                if (key.starts_with(prefix)) file.DeleteKey("RU", key);
        for (const TWindowText& text : texts)
            if (!text.Text.isEmpty()) file.WriteString("RU", text.Key, ToFile(text.Text));
    });
}

bool LanguageTemplateRequested(int argc, char** argv) {
    if (argc < 2 || !argv || !argv[1]) return false;
    return std::strcmp(argv[1], "/create_lang_file") == 0 ||
           std::strcmp(argv[1], "--create-lang-file") == 0;
}

bool LanguageTemplateRequested(const QStringList& arguments) {
    return arguments.size() >= 2 && (arguments[1] == QLatin1String("/create_lang_file") ||
                                     arguments[1] == QLatin1String("--create-lang-file"));
}

} // namespace orv
