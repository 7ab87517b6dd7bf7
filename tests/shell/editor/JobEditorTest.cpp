// The job editor driven as a user drives it: screens, lines, toggles, tabs, the screen
// clipboard, the job file, and the questions about unsaved edits.
#include "tests/shell/editor/EditorRig.h"

#include "shell/editor/JobEditor.h"
#include "shell/equation/EquationDialog.h"
#include "tests/support/ChildProcess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTreeWidget>

namespace orv::test {
namespace {

// Answers the modal question of the main window with the button of that role.
void Answer(QWidget& dialog, QMessageBox::StandardButton button) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    ASSERT_NE(box, nullptr);
    box->button(button)->click();
}

TEST_F(EditorTest, EditedScreensSaveAsTheJobWriterWritesThemAndRunInTheDaemon) {
    WriteSettings();
    Start();
    ASSERT_EQ(Tabs().count(), 1);

    Type(1, "CPU $time$");
    Type(2, "Date $date$");
    Click("btnJust1");
    Click("btnSD2");
    Click("btnSD2");

    Click("btnAddJob");
    Type(1, "Second");
    Control<QCheckBox>("cbShowOnce").setChecked(true);
    Control<QSpinBox>("edShowTimeout").setValue(10);
    Control<QComboBox>("cbTransition").setCurrentIndex(6);

    Click("btnAddJob");
    Type(1, "Third");
    ASSERT_EQ(Tabs().count(), 3);
    EXPECT_EQ(Tabs().tabText(2), QStringLiteral("экран 3"));

    // Rename the third tab while the first one is shown: the name reaches the job at once.
    Tabs().setCurrentIndex(0);
    WhileModal([&] { Editor().RenameScreen(2); },
               [](QWidget& dialog) {
                   auto* input = qobject_cast<QInputDialog*>(&dialog);
                   ASSERT_NE(input, nullptr);
                   EXPECT_EQ(input->windowTitle(), QStringLiteral("Переименовать экран"));
                   input->setTextValue(QStringLiteral("Часы"));
                   input->accept();
               });
    EXPECT_EQ(Tabs().tabText(2), QStringLiteral("Часы"));

    // The first screen's lines into the third one.
    Trigger("mnCopyScreen");
    Tabs().setCurrentIndex(2);
    Trigger("mnFillScreen");
    Type(3, "filled");

    // Drag the first tab onto the second: the two screens change places.
    const QPoint from = Tabs().tabRect(0).center();
    QTest::mousePress(&Tabs(), Qt::LeftButton, {}, from);
    QTest::mouseMove(&Tabs(), from + QPoint(4, 0));
    QTest::mouseRelease(&Tabs(), Qt::LeftButton, {}, Tabs().tabRect(1).center());
    EXPECT_EQ(Tabs().tabText(0), QStringLiteral("экран 2"));
    EXPECT_EQ(Tabs().tabText(1), QStringLiteral("экран 1"));
    EXPECT_EQ(Tabs().currentIndex(), 1);
    EXPECT_EQ(Line(1).text(), QStringLiteral("CPU $time$"));

    // A name with the tag language's "$" and "[" shows on the panel as it stands.
    savePath = QString::fromStdString(docs / "ed$US$[2]");
    Click("btnSaveJob");
    EXPECT_FALSE(Editor().Modified());
    const std::string saved = docs / "ed$US$[2].orv3"; // the default extension
    EXPECT_TRUE(WaitForPanel(state, [](const auto& rows) {
        return rows.size() > 1 && rows[1].ends_with(" ed$US$[2].orv3  ");
    })) << ReadText(state);

    TJob expected;
    expected.AddScreen("экран 2"_cp1251);
    expected.SetLine(0, 1, "Second");
    expected.SetOnce(0, true);
    expected.SetTimeout(0, 10);
    expected.SetTransitionEffect(0, 6);
    expected.AddScreen("экран 1"_cp1251);
    expected.SetLine(1, 1, "CPU $time$");
    expected.SetLine(1, 2, "Date $date$");
    expected.SetAlign(1, 1, laCentre);
    expected.SetScroll(1, 2, lsBackAndForth);
    expected.AddScreen("Часы"_cp1251);
    expected.SetLine(2, 1, "CPU $time$");
    expected.SetLine(2, 2, "Date $date$");
    expected.SetLine(2, 3, "filled");
    const std::string reference = docs / "reference.orv3";
    ASSERT_TRUE(expected.SaveToFile(reference));
    EXPECT_EQ(ReadText(saved), ReadText(reference));

    // Reopened, the editor shows the saved screens.
    Click("btnNewJob");
    EXPECT_EQ(Job().Count(), 1);
    openPath = QString::fromStdString(saved);
    Click("btnOpenJob");
    ASSERT_EQ(Job().Count(), 3);
    EXPECT_TRUE(WaitForRow(1, "ed$US$[2].orv3      ")) << ReadText(state);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(*Job().Screen(i), *expected.Screen(i)) << i;
    EXPECT_EQ(Tabs().tabText(2), QStringLiteral("Часы"));
    EXPECT_EQ(Line(1).text(), QStringLiteral("Second"));
    EXPECT_FALSE(Editor().Modified());

    // The saved job runs unchanged in the daemon, on the same emulated panel.
    Close();
    TChildProcess daemon({ORVANTA3_OUTPUT_DIR "/orvanta3d", "--job", saved}, docs / "daemon.log");
    ASSERT_TRUE(daemon.Started());
    EXPECT_TRUE(WaitForPanel(state, [](const auto& rows) {
        return !rows.empty() && rows[0].starts_with("Second");
    })) << ReadText(docs / "daemon.log");
    EXPECT_EQ(daemon.Stop(), 0) << ReadText(docs / "daemon.log");
}

TEST_F(EditorTest, ControlsKeepToTheirRulesAndLoadingWritesNothingBack) {
    WriteSettings();
    WriteText(JobPath(), "[One]\nLine1=first\nAlign1=258\nLine5=beyond the panel\nShow=5\n"
                         "[Two]\nLine1=second\nTransitionEffect=6\n");
    Start();
    openPath = QString::fromStdString(JobPath());
    Click("btnOpenJob");
    const TJob loaded = Job();
    Tabs().setCurrentIndex(1);
    Tabs().setCurrentIndex(0);
    EXPECT_FALSE(Editor().Modified());
    for (int i = 0; i < 2; ++i) EXPECT_EQ(*Job().Screen(i), *loaded.Screen(i));
    EXPECT_TRUE(Control<QCheckBox>("cbShow").isChecked());

    // Lines beyond the 4-row panel are hidden but still edited and stored.
    EXPECT_TRUE(Line(4).isVisibleTo(window.get()));
    EXPECT_FALSE(Line(5).isVisibleTo(window.get()));
    EXPECT_EQ(Line(5).text(), QStringLiteral("beyond the panel"));
    Line(5).setText("changed");
    EXPECT_EQ(LineText(0, 5), "changed");

    // Three alignment clicks come back to the first code and glyph.
    const QImage glyph = Control("btnJust1").icon().pixmap(16).toImage();
    Click("btnJust1");
    EXPECT_EQ(Job().GetAlign(0, 1), laLeft);
    EXPECT_NE(Control("btnJust1").icon().pixmap(16).toImage(), glyph);
    Click("btnJust1");
    Click("btnJust1");
    EXPECT_EQ(Job().GetAlign(0, 1), laRight);
    EXPECT_EQ(Control("btnJust1").icon().pixmap(16).toImage(), glyph);

    // A transition the display does not play falls back to the first.
    auto& transition = Control<QComboBox>("cbTransition");
    transition.setCurrentIndex(2);
    EXPECT_EQ(transition.currentIndex(), 0);
    EXPECT_EQ(Job().GetTransitionEffect(0), 0);

    // The last screen cannot be deleted.
    Click("btnDeleteJob");
    EXPECT_EQ(Job().Count(), 1);
    Click("btnDeleteJob");
    EXPECT_EQ(Job().Count(), 1);
    EXPECT_EQ(Tabs().count(), 1);
    EXPECT_EQ(LineText(0, 1), "second");
}

TEST_F(EditorTest, TagsComeFromTheTreeAtTheDropPointOrTheCaret) {
    WriteSettings();
    Start();
    auto& tree = Child<QTreeWidget>(*window, "tvTags");
    ASSERT_GE(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* group = tree.topLevelItem(0);
    EXPECT_EQ(group->text(0), QStringLiteral("Дата/время"));
    QTreeWidgetItem* time = group->child(0);

    // A click shows the hint.
    tree.itemClicked(time, 0);
    EXPECT_TRUE(Child<QPlainTextEdit>(*window, "mmTagHelp")
                    .toPlainText()
                    .startsWith(QStringLiteral("Показать текущее значение времени")));

    // Dropped between "ab" and "cd".
    Type(1, "abcd");
    QAbstractItemModel& model = *tree.model();
    std::unique_ptr<QMimeData> data(model.mimeData({model.index(0, 0, model.index(0, 0))}));
    ASSERT_NE(data, nullptr);
    QLineEdit& line = Line(1);
    line.setCursorPosition(2);
    const QRect caret = line.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    // The drop goes where the drag entered.
    QDragEnterEvent enter(caret.center(), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&line, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(caret.center()), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&line, &drop);
    EXPECT_EQ(LineText(0, 1), "ab$time[5,,,3]$cd");

    // A double click opens the tag parameter editor with the example; its text goes in at the
    // caret of the current line.
    Type(2, "x");
    WhileModal([&] { tree.itemDoubleClicked(group->child(1), 0); },
               [](QWidget& dialog) {
                   auto* equation = qobject_cast<TfrmEquation*>(&dialog);
                   ASSERT_NE(equation, nullptr);
                   EXPECT_EQ(equation->TagText(), "$date$");
                   equation->accept();
               });
    EXPECT_EQ(LineText(0, 2), "x$date$");

    // btnEquation edits the selected tag in place; a selection that is no tag opens nothing.
    Line(2).setSelection(1, 6);
    WhileModal([&] { Click("btnEquation"); },
               [](QWidget& dialog) { qobject_cast<QDialog*>(&dialog)->accept(); });
    EXPECT_EQ(LineText(0, 2), "x$date$");
    Line(2).setSelection(0, 3);
    Click("btnEquation");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(EditorTest, UnsavedEditsAreOfferedForSavingBeforeTheyGo) {
    WriteSettings();
    WriteJob({"other job"});
    Start();
    EXPECT_FALSE(Editor().Modified()); // the new screen of start-up is no edit
    Type(1, "keep me");
    EXPECT_TRUE(Editor().Modified());

    // Cancel keeps the program and the edits.
    WhileModal([&] { window->close(); },
               [](QWidget& dialog) { Answer(dialog, QMessageBox::Cancel); });
    EXPECT_FALSE(window->Finished());
    EXPECT_EQ(LineText(0, 1), "keep me");

    // Opening another job: saved first, then the other job is there.
    openPath = QString::fromStdString(JobPath());
    savePath = QString::fromStdString(docs / "kept.orv3");
    WhileModal([&] { Click("btnOpenJob"); },
               [](QWidget& dialog) { Answer(dialog, QMessageBox::Save); });
    EXPECT_NE(ReadText(docs / "kept.orv3").find("Line1=keep me"), std::string::npos);
    EXPECT_EQ(LineText(0, 1), "other job");

    // Discarding lets the program end; without edits nothing is asked.
    Type(1, "!");
    WhileModal([&] { window->close(); },
               [](QWidget& dialog) { Answer(dialog, QMessageBox::Discard); });
    EXPECT_TRUE(window->Finished());
    EXPECT_EQ(ReadText(JobPath()).find("!"), std::string::npos);
}

// The job file changed by another program (the web page, say) while the editor has it: a
// reload leaves unsaved edits alone, and a save writes over the other change only when told to;
// without edits a reload shows the other change in the editor.
TEST_F(EditorTest, AJobChangedElsewhereIsNeitherDroppedNorWrittenOverUnasked) {
    WriteSettings();
    Start();
    Type(1, "mine");
    const std::string path = docs / "shared.orv3";
    savePath = QString::fromStdString(path);
    Click("btnSaveJob");
    ASSERT_FALSE(Editor().Modified());

    Type(1, " edited");
    TJob theirs;
    theirs.AddScreen("one");
    theirs.SetLine(0, 1, "theirs");
    ASSERT_TRUE(theirs.SaveToFile(path));
    const std::string written = ReadText(path);
    std::string reason;
    EXPECT_FALSE(window->ReloadJob(path, reason));
    EXPECT_EQ(reason, "the job editor has unsaved changes");
    EXPECT_EQ(LineText(0, 1), "mine edited");
    WhileModal([&] { Click("btnSaveJob"); },
               [](QWidget& dialog) { Answer(dialog, QMessageBox::No); });
    EXPECT_EQ(ReadText(path), written);
    EXPECT_TRUE(Editor().Modified());
    WhileModal([&] { Click("btnSaveJob"); },
               [](QWidget& dialog) { Answer(dialog, QMessageBox::Yes); });
    EXPECT_NE(ReadText(path).find("Line1=mine edited"), std::string::npos);
    EXPECT_FALSE(Editor().Modified());

    ASSERT_TRUE(theirs.SaveToFile(path));
    EXPECT_TRUE(window->ReloadJob(path, reason)) << reason;
    EXPECT_EQ(Line(1).text(), QStringLiteral("theirs"));
    Type(1, "!");
    Click("btnSaveJob"); // nothing to ask: the editor holds what the file held
    EXPECT_NE(ReadText(path).find("Line1=theirs!"), std::string::npos);
}

} // namespace
} // namespace orv::test
