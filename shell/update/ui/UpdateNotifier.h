// The update check in the desktop program: runs TInetCheck and, on the main thread, shows its
// result: the version label's text for the settings page and, for a newer version, the two
// message boxes, opening the download page on Yes.
//
// Use: at the end of start-up, when "Check updates" is on,
//     (new TUpdateNotifier({.SettingsPath = core.Settings().Path(), .INet = core.Settings().INet},
//                          this))->Start();
// Destroying it (with its parent, at exit) ends a check under way within about a second.
#pragma once

#include "shell/update/InetCheck.h"

#include <QObject>
#include <QString>

#include <memory>

namespace orv {

class TUpdateNotifier final : public QObject {
    Q_OBJECT

public:
    explicit TUpdateNotifier(TInetCheckOptions options, QObject* parent = nullptr);
    ~TUpdateNotifier() override;

    // Starts the check when it is due; returns at once.
    void Start();

signals:
    // "Последняя версия: " and the version the page names, for lblVer.
    void VersionLabelChanged(const QString& text);
    // The check has ended, its message boxes closed (not emitted when no check was due).
    void Finished();

private:
    void Show(const TInetCheckResult& result);

    std::unique_ptr<TInetCheck> check_;
};

} // namespace orv
