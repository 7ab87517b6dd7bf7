// The remote-control interface (RemoteNames.h) in the desktop program, through QtDBus: calls
// arrive on the main thread and go to TApplicationCore.
//
// Use: the main window creates it once, after the core's start-up,
//     new TRemoteDBusService(core, this);
// Without a session bus, or when another program owns the name, it serves nothing
// (Registered() is false) and the program runs on.
#pragma once

#include <QByteArrayList>
#include <QDBusContext>
#include <QObject>
#include <QString>

namespace orv {

class TApplicationCore;

class TRemoteDBusService final : public QObject, protected QDBusContext {
    Q_OBJECT

public:
    TRemoteDBusService(TApplicationCore& core, QObject* parent = nullptr);
    ~TRemoteDBusService() override; // gives the name and the object back

    bool Registered() const { return registered_; }

public slots:
    Q_SCRIPTABLE void Navigate(int wparam, int lparam);
    Q_SCRIPTABLE void Charset(int request, const QString& text);
    // The rows shown now and the custom characters' dot rows (RemoteStatus.h).
    Q_SCRIPTABLE QByteArrayList Frame(QByteArrayList& custom);
    Q_SCRIPTABLE QString Status();
    // The settings and the job of the settings file read again; a D-Bus error says why not.
    Q_SCRIPTABLE void Reload();

private:
    TApplicationCore& core_;
    bool registered_ = false;
};

} // namespace orv
