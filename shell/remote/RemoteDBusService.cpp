#include "shell/remote/RemoteDBusService.h"

#include "appcore/ApplicationCore.h"
#include "appcore/remote/RemoteNames.h"
#include "base/Cp1251.h"
#include "engine/Navigation.h"
#include "appcore/remote/RemoteStatus.h"

#include <QDBusArgument>
#include <QDBusConnection>

#include <utility>

namespace orv {

TRemoteDBusService::TRemoteDBusService(TApplicationCore& core, TReload reload, QObject* parent)
    : QObject(parent), core_(core), reload_(std::move(reload)) {
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

void TRemoteDBusService::Navigate(int wparam, int lparam) {
    if (const auto request = NavigationRequestOf(wparam, lparam)) core_.Navigate(*request);
}

void TRemoteDBusService::Charset(int request, const QString& text) {
    core_.Charset(request, Utf8ToCp1251(text.toStdString()));
}

namespace {

// An array of byte arrays ("aay").
QVariant ByteArrays(const std::vector<std::string>& arrays) {
    QDBusArgument argument;
    argument.beginArray(QMetaType::fromType<QByteArray>());
    for (const std::string& bytes : arrays)
        argument << QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    argument.endArray();
    return QVariant::fromValue(argument);
}

} // namespace

void TRemoteDBusService::Frame(const QDBusMessage& call) {
    const TRemoteFrame frame = RemoteFrame(core_);
    setDelayedReply(true);
    connection().send(call.createReply({ByteArrays(frame.Rows), ByteArrays(frame.CustomChars)}));
}

QString TRemoteDBusService::Status() { return QString::fromStdString(RemoteStatusText(core_)); }

void TRemoteDBusService::Reload() {
    std::string reason;
    const bool done = reload_ ? reload_(reason) : core_.Reload({}, &reason);
    if (!done && calledFromDBus())
        sendErrorReply(kRemoteReloadFailed, QString::fromStdString(reason));
}

} // namespace orv
