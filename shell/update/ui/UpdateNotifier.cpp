#include "shell/update/ui/UpdateNotifier.h"

#include "base/ui/QtCp1251.h"
#include "host/ProgramMessages.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QUrl>

namespace orv {

namespace {} // namespace

TUpdateNotifier::TUpdateNotifier(TInetCheckOptions options, QObject* parent) : QObject(parent) {
    // The result comes on the check's thread; it is shown on this object's.
    check_ = std::make_unique<TInetCheck>(std::move(options), [this](const TInetCheckResult& r) {
        QMetaObject::invokeMethod(
            this, [this, r] { Show(r); }, Qt::QueuedConnection);
    });
}

// The check's thread ends before the object it reports to.
TUpdateNotifier::~TUpdateNotifier() { check_.reset(); }

void TUpdateNotifier::Start() { check_->Start(); }

void TUpdateNotifier::Show(const TInetCheckResult& result) {
    if (!result.VersionLabel.empty()) emit VersionLabelChanged(FromCp1251(result.VersionLabel));
    if (result.Outcome == TInetCheckOutcome::NewerVersion) {
        // The program may end while a box is open (the session ends): this object is gone then.
        const QPointer<TUpdateNotifier> alive(this);
        const auto answer =
            QMessageBox::information(nullptr, FromCp1251(Message(msgNewVersionCaption)),
                                     FromCp1251(Message(msgNewVersionQuestion)),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (!alive) return;
        if (answer == QMessageBox::Yes && !result.DownloadUrl.empty())
            QDesktopServices::openUrl(QUrl(QString::fromStdString(result.DownloadUrl)));
        QMessageBox::information(nullptr, FromCp1251(Message(msgNextCheckCaption)),
                                 FromCp1251(Message(msgNextCheckText)));
        if (!alive) return;
    }
    emit Finished();
}

} // namespace orv
