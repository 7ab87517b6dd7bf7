// The remote-control interface (RemoteNames.h) in the desktop program, through QtDBus: calls
// arrive on the main thread and go to TApplicationCore.
//
// Use: the main window creates it once, after the core's start-up,
//     new TRemoteDBusService(core, reload, this);
// Without a session bus, or when another program owns the name, it serves nothing
// (Registered() is false) and the program runs on.
#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

namespace orv {

class TApplicationCore;

class TRemoteDBusService final : public QObject, protected QDBusContext {
    Q_OBJECT

public:
    // reload: what Reload does (the core's own when empty); false and the reason when it
    // could not.
    using TReload = std::function<bool(std::string& reason)>;
    TRemoteDBusService(TApplicationCore& core, TReload reload = {}, QObject* parent = nullptr);
    ~TRemoteDBusService() override; // gives the name and the object back

    bool Registered() const { return registered_; }

public slots:
    Q_SCRIPTABLE void Navigate(int wparam, int lparam);
    Q_SCRIPTABLE void Charset(int request, const QString& text);
    // Answers with the rows shown now and the custom characters' dot rows, two arrays of byte
    // arrays (RemoteStatus.h); the reply is built here, as QtDBus has no such type of its own.
    Q_SCRIPTABLE void Frame(const QDBusMessage& call);
    Q_SCRIPTABLE QString Status();
    // The settings and the job of the settings file read again; a D-Bus error says why not.
    Q_SCRIPTABLE void Reload();

private:
    TApplicationCore& core_;
    TReload reload_;
    bool registered_ = false;
};

} // namespace orv
