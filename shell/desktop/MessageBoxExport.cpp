// Orvanta3MessageBox, the program's message service for itself, its drivers and its modules
// (found with dlsym): a Qt message box. On the main thread it is modal, as the caller expects;
// from any other thread it is queued to the main thread and shown there without waiting, so a
// module on the display thread never blocks the thread the main thread may be stopping.
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>

namespace {

QMessageBox::Icon IconOf(int flags) {
    switch (flags & 0xF0) {
    case mbError: return QMessageBox::Critical;
    case mbWarning: return QMessageBox::Warning;
    case mbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

ORVANTA3_EXPORT void Orvanta3MessageBox(const char* text, const char* caption, int flags) {
    const std::string body = orv::Cp1251ToUtf8(text ? text : "");
    const std::string title = orv::Cp1251ToUtf8(caption ? caption : "");
    QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        const std::string line = orv::FormatErrorLine(text ? text : "", caption ? caption : "");
        std::fwrite(line.data(), 1, line.size(), stderr);
        return;
    }
    const QMessageBox::Icon icon = IconOf(flags);
    if (QThread::currentThread() == app->thread()) {
        QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(body),
                        QMessageBox::Ok);
        box.exec();
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [icon, title, body] {
            auto* box = new QMessageBox(icon, QString::fromStdString(title),
                                        QString::fromStdString(body), QMessageBox::Ok);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->show();
        },
        Qt::QueuedConnection);
}
