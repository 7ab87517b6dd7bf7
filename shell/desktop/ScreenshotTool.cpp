// Takes the pictures of the README: the main window in the editing and in the settings state,
// the job editor at work (a tag's hint shown, the current line highlighted), the tag parameter
// editor and the virtual display, as PNG files in FOLDER. The program's own windows run on the
// settings of the environment (scripts/screenshots gives it the demo's, an emulated panel and a
// private X server) with the modules of the build tree; the job named there is loaded and the
// window brought back from the tray.
#include "appcore/ApplicationCore.h"
#include "shell/desktop/MainWindow.h"
#include "shell/equation/EquationDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTest>

#include <cstdio>

using namespace orv;

namespace {

bool Save(QWidget& widget, const QString& path) {
    const bool saved = widget.grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
                 qPrintable(path));
    return saved;
}

// The first tag of the first group chosen in the tag tree: its hint shows below the tree.
void ChooseFirstTag(QWidget& window) {
    auto* tags = window.findChild<QTreeWidget*>("tvTags");
    if (!tags || !tags->topLevelItemCount()) return;
    QTreeWidgetItem* group = tags->topLevelItem(0);
    group->setExpanded(true);
    if (group->childCount() > 0) {
        tags->setCurrentItem(group->child(0));
        emit tags->itemClicked(group->child(0), 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    TApplicationCoreOptions options;
    options.ProgramFolder = ORVANTA3_OUTPUT_DIR;
    options.MirrorsInVirtualDisplay = true;
    TApplicationCore core(options);
    TOrvanta window(core);
    window.StartUp();
    // The job's first screen in the virtual display, while the program waits in the tray.
    QTest::qWait(1500);
    bool saved =
        window.VirtualDisplay() && Save(*window.VirtualDisplay(), folder + "/virtual-display.png");
    window.Restore();
    QTest::qWait(1000); // the fade-in and the first paint
    saved = Save(window, folder + "/main-editing.png") && saved;
    ChooseFirstTag(window);
    if (auto* line = window.findChild<QLineEdit*>("edLine2")) {
        line->setFocus();
        line->setCursorPosition(static_cast<int>(line->text().size()));
    }
    QTest::qWait(300);
    saved = Save(window, folder + "/job-editor.png") && saved;
    window.OpenSettings();
    QTest::qWait(600);
    saved = Save(window, folder + "/main-settings.png") && saved;
    {
        TModuleCatalogue catalogue(core.Host());
        TfrmEquation tagEditor("$time[5,,,3]$", catalogue, &window);
        tagEditor.show();
        QTest::qWait(400);
        saved = Save(tagEditor, folder + "/tag-editor.png") && saved;
    }
    // The same window in English, chosen on the settings page and saved.
    if (auto* language = window.findChild<QComboBox*>("cbLanguage");
        language && language->findText(QStringLiteral("English")) >= 0) {
        language->setCurrentText(QStringLiteral("English"));
        window.SaveSettings();
        ChooseFirstTag(window);
        QTest::qWait(600);
        saved = Save(window, folder + "/main-editing-en.png") && saved;
    }
    window.Quit();
    return saved ? 0 : 1;
}
