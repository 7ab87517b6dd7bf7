#include "shell/remote/RemoteDBusService.h"

#include "base/Cp1251.h"
#include "appcore/ApplicationCore.h"
#include "appcore/remote/RemoteNames.h"

#include <QDBusConnection>

namespace orv {

TRemoteDBusService::TRemoteDBusService(TApplicationCore& core, QObject* parent)
    : QObject(parent), core_(core) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!bus.registerObject(kRemoteObject, kRemoteInterface, this,
                            QDBusConnection::ExportScriptableSlots))
        return;
    registered_ = bus.registerService(kRemoteService);
    if (!registered_) bus.unregisterObject(kRemoteObject);
}

TRemoteDBusService::~TRemoteDBusService() {
    if (!registered_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(kRemoteService);
    bus.unregisterObject(kRemoteObject);
}

void TRemoteDBusService::Navigate(int wparam, int lparam) { core_.Navigate(wparam, lparam); }

void TRemoteDBusService::Charset(int request, const QString& text) {
    core_.Charset(request, Utf8ToCp1251(text.toStdString()));
}

} // namespace orv
