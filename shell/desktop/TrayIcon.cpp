#include "shell/desktop/TrayIcon.h"

#include "shell/desktop/Artwork.h"

#include <stdexcept>

namespace orv {

namespace {

QAction* AddItem(QMenu& menu, const char* name, const QString& text) {
    QAction* action = menu.addAction(text);
    action->setObjectName(name);
    return action;
}

} // namespace

TTrayIcon::TTrayIcon(QWidget& menuOwner) : QObject(&menuOwner), menu_(new QMenu(&menuOwner)) {
    menu_->setObjectName("PopupMenu1");
    QMenu* screens = menu_->addMenu(QStringLiteral("Экран"));
    screens->setObjectName("mnScreen");
    screens->menuAction()->setObjectName("mnScreenItem");
    connect(AddItem(*screens, "mnNext", QStringLiteral("Следующий")), &QAction::triggered, this,
            &TTrayIcon::NextScreen);
    connect(AddItem(*screens, "mnPrevious", QStringLiteral("Предыдущий")), &QAction::triggered,
            this, &TTrayIcon::PreviousScreen);
    menu_->addSeparator();
    connect(AddItem(*menu_, "mnEditor", QStringLiteral("Редактор задания")), &QAction::triggered,
            this, &TTrayIcon::Editor);
    connect(AddItem(*menu_, "mnSettings", QStringLiteral("Настройка...")), &QAction::triggered,
            this, &TTrayIcon::Settings);
    menu_->addSeparator();
    connect(AddItem(*menu_, "mnClose", QStringLiteral("Закрыть")), &QAction::triggered, this,
            &TTrayIcon::CloseProgram);

    icon_.setIcon(ProgramIcon());
    icon_.setToolTip(QStringLiteral("Orvanta v.3 running..."));
    icon_.setContextMenu(menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick) emit Editor();
            });
}

QAction& TTrayIcon::Action(const char* objectName) const {
    for (QAction* action : menu_->findChildren<QAction*>())
        if (action->objectName() == QLatin1String(objectName)) return *action;
    throw std::out_of_range(objectName);
}

} // namespace orv
