// The job editor inside the real main window, on the offscreen platform with the emulated
// 4 x 20 panel, the real drivers and modules, and a temporary documents folder. The file
// question answers with the path the test chose.
#pragma once

#include "shell/desktop/MainWindow.h"
#include "host/ProgramMessages.h"
#include "tests/shell/desktop/DesktopRig.h"
#include "tests/support/ModalDialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace orv::test {

class EditorTest : public ::testing::Test, protected TDesktopRig {
protected:
    void SetUp() override {
        OffscreenApp();
        UseEnvironment("editor-test");
    }
    void TearDown() override { Close(); }

    // The program in the editing state with one new screen.
    void Start() {
        TApplicationCoreOptions options;
        options.ProgramFolder = ORVANTA3_OUTPUT_DIR;
        core = std::make_unique<TApplicationCore>(options);
        window = std::make_unique<TOrvanta>(*core);
        window->Editor().Options().AskJobFile = [this](TJobFileDialog kind, const QString&) {
            ++fileQuestions;
            return kind == TJobFileDialog::Open ? openPath : savePath;
        };
        window->StartUp();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // The program ends and the panel is free again.
    void Close() {
        window.reset();
        core.reset();
        ProgramMessages().Reset();
    }

    TJobEditor& Editor() { return window->Editor(); }
    TJob& Job() { return core->Job(); }
    QLineEdit& Line(int n) {
        return Child<QLineEdit>(*window, ("edLine" + std::to_string(n)).c_str());
    }
    QTabBar& Tabs() { return Child<QTabBar>(*window, "tcJobControl"); }
    template <typename T = QAbstractButton> T& Control(const std::string& name) {
        return Child<T>(*window, name.c_str());
    }
    void Click(const std::string& name) { QTest::mouseClick(&Control(name), Qt::LeftButton); }
    void Type(int line, const QString& text) {
        Line(line).setFocus();
        QTest::keyClicks(&Line(line), text);
    }
    void Trigger(const char* action) { Child<QAction>(*window, action).trigger(); }
    // Waits until row (from 0) of the panel starts with prefix (as the state file shows it).
    bool WaitForRow(size_t row, const std::string& prefix) {
        return WaitForPanel(
            state,
            [&](const auto& rows) { return rows.size() > row && rows[row].starts_with(prefix); },
            [] { QTest::qWait(50); });
    }
    std::string LineText(int screen, int line) { return Cp1251ToUtf8(Job().GetLine(screen, line)); }

    std::unique_ptr<TApplicationCore> core;
    std::unique_ptr<TOrvanta> window;
    QString openPath;
    QString savePath;
    int fileQuestions = 0;
};

} // namespace orv::test
