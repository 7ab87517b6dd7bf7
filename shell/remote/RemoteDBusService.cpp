#include "shell/remote/RemoteDBusService.h"

#include "host/Cp1251.h"
#include "shell/core/ApplicationCore.h"
#include "shell/remote/RemoteNames.h"
#include "shell/remote/RemoteStatus.h"

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

namespace {

QByteArrayList ByteArrays(const std::vector<std::string>& arrays) {
    QByteArrayList list;
    for (const std::string& bytes : arrays)
        list.append(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return list;
}

} // namespace

QByteArrayList TRemoteDBusService::Frame(QByteArrayList& custom) {
    const TRemoteFrame frame = RemoteFrame(core_);
    custom = ByteArrays(frame.CustomChars);
    return ByteArrays(frame.Rows);
}

QString TRemoteDBusService::Status() { return QString::fromStdString(RemoteStatusText(core_)); }

void TRemoteDBusService::Reload() {
    std::string reason;
    if (!core_.Reload({}, &reason) && calledFromDBus())
        sendErrorReply(kRemoteReloadFailed, QString::fromStdString(reason));
}

} // namespace orv
