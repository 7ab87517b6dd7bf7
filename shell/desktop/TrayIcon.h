// The notification-area icon of the hidden program: the tip, the menu PopupMenu1 ("Экран" with
// "Следующий" and "Предыдущий", "Редактор задания", "Настройка...", "Закрыть") and a double
// click, each as a signal.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace orv {

class TTrayIcon final : public QObject {
    Q_OBJECT
public:
    // The menu is owned by menuOwner, so the window's language file reaches its items.
    explicit TTrayIcon(QWidget& menuOwner);

    void Show() { icon_.show(); }
    void Hide() { icon_.hide(); }
    bool IsShown() const { return icon_.isVisible(); }
    QMenu& Menu() { return *menu_; }
    QAction& Action(const char* objectName) const;

signals:
    void NextScreen();
    void PreviousScreen();
    void Editor();       // "Редактор задания", also a double click
    void Settings();     // "Настройка..."
    void CloseProgram(); // "Закрыть"

private:
    QSystemTrayIcon icon_;
    QMenu* menu_;
};

} // namespace orv
