// The job file dialog on the offscreen platform: where it starts, what it filters, and that it
// stays on the screen with room for its title bar when its parent sits in the corner.
#include "base/ui/JobFileDialog.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TempDir.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace orv::test {
namespace {

TEST(JobFileDialog, StartsAtTheCurrentFileOrTheFolderAndStaysOnTheScreen) {
    OffscreenApp();
    TempDir folder;
    std::filesystem::create_directories(folder / "jobs");
    WriteText(folder / "jobs/one.orv3", "[A]\n");
    QWidget parent;
    parent.setGeometry(0, 0, 300, 200); // a small window in the corner
    parent.show();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();

    const auto look = [&](const TJobFileQuestion& question, const QString& expectedFolder,
                          const QStringList& expectedFilters) {
        WhileModal([&] { EXPECT_TRUE(AskJobFile(&parent, question).isEmpty()); },
                   [&](QWidget& shown) {
                       auto* dialog = qobject_cast<QFileDialog*>(&shown);
                       ASSERT_NE(dialog, nullptr);
                       EXPECT_EQ(dialog->directory().absolutePath(), expectedFolder);
                       EXPECT_EQ(dialog->nameFilters(), expectedFilters);
                       EXPECT_GE(dialog->geometry().top(), area.top() + 32);
                       EXPECT_GE(dialog->geometry().left(), area.left());
                       EXPECT_LE(dialog->geometry().bottom(), area.bottom());
                       dialog->reject();
                   });
    };
    const QString jobs = QString::fromStdString(folder / "jobs");
    look({.Save = false,
          .Current = jobs + "/one.orv3",
          .Folder = "/",
          .FilterName = "Jobs",
          .AllFilesName = {}},
         jobs, {"Jobs (*.orv3)"});
    look({.Save = true, .Current = {}, .Folder = jobs, .FilterName = "Jobs", .AllFilesName = "All"},
         jobs, {"Jobs (*.orv3)", "All (*)"});
}

// A dialog taller than the screen is cut to fit below the title bar's room.
TEST(JobFileDialog, ADialogTallerThanTheScreenIsCutToFit) {
    OffscreenApp();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget dialog;
    dialog.resize(200, area.height() + 100);
    PlaceOnScreen(dialog, nullptr);
    EXPECT_EQ(dialog.y(), area.top() + 32);
    EXPECT_LE(dialog.geometry().bottom(), area.bottom());
}

} // namespace
} // namespace orv::test
