#include "base/ui/JobFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace orv {

namespace {

constexpr int kTitleBarRoom = 32; // a window manager's title bar above the client area

} // namespace

void PlaceOnScreen(QWidget& dialog, const QWidget* parent) {
    const QWidget* window = parent ? parent->window() : nullptr;
    const QScreen* screen =
        window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = dialog.size().boundedTo(area.size() - QSize(0, kTitleBarRoom));
    dialog.resize(size);
    const QPoint centre = window ? window->frameGeometry().center() : area.center();
    const int left = std::clamp(centre.x() - size.width() / 2, area.left(),
                                std::max(area.left(), area.right() + 1 - size.width()));
    const int top =
        std::clamp(centre.y() - size.height() / 2, area.top() + kTitleBarRoom,
                   std::max(area.top() + kTitleBarRoom, area.bottom() + 1 - size.height()));
    dialog.move(left, top);
}

QString AskJobFile(QWidget* parent, const TJobFileQuestion& question) {
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList filters{question.FilterName + QStringLiteral(" (*.orv3)")};
    if (!question.AllFilesName.isEmpty()) filters << question.AllFilesName + QStringLiteral(" (*)");
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("orv3"));
    if (!question.Current.isEmpty()) {
        dialog.setDirectory(QFileInfo(question.Current).absolutePath());
        dialog.selectFile(question.Current);
    } else if (!question.Folder.isEmpty()) {
        dialog.setDirectory(question.Folder);
    }
    if (question.Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.adjustSize();
    PlaceOnScreen(dialog, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

} // namespace orv
