#include "shell/desktop/StartupWindow.h"

#include "shell/desktop/Artwork.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace orv {

namespace {

QLabel* WhiteBoldLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

TStartupWindow::TStartupWindow()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("frmStartup");
    setFixedSize(kSplashWidth, kSplashHeight);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(SplashPicture()));
    picture->setGeometry(0, 0, kSplashWidth, kSplashHeight);

    lblStart_ = WhiteBoldLabel(this, "lblStart");
    lblStart_->setGeometry(24, 282, 340, 40);
    lblStart_->setWordWrap(true);
    lblVer_ = WhiteBoldLabel(this, "lblVer");
    lblVer_->setGeometry(372, 282, 124, 40);
    lblVer_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblVer_->setText(QStringLiteral("v. " ORVANTA3_VERSION));

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    qApp->installEventFilter(this);
}

TStartupWindow::~TStartupWindow() { qApp->removeEventFilter(this); }

bool TStartupWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide) return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || !dialog->isWindow()) return false;
    std::erase_if(dialogs_, [dialog](const QPointer<QWidget>& open) {
        return !open || open == dialog || !open->isVisible();
    });
    if (type == QEvent::Show) {
        dialogs_.emplace_back(dialog);
        hide();
    } else if (dialogs_.empty()) {
        show();
    }
    return false;
}

void TStartupWindow::SetProgress(std::string_view text) {
    lblStart_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace orv
