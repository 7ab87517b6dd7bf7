// One keystroke in a line editor of the job editor until the job holds it and the preview has
// refreshed the rows: the key event, the store into the job, and one preview pass that evaluates
// the four lines and writes them to the emulated 4 x 20 panel through the real driver. The
// lines hold the clock and the memory modules' tags, a bar among them.
#include "base/Cp1251.h"
#include "appcore/ApplicationCore.h"
#include "shell/editor/JobEditor.h"
#include "shell/editor/JobPreview.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

using namespace orv;

std::string gDocs;

void WriteSettings() {
    std::ofstream(gDocs + "/Orvanta3.ini") << "[Common]\nBase timeout=250\nShow splash-screen=0\n"
                                              "[textport.so]\nActive=1\nLines count=4\n"
                                              "Cols count=20\nTiming=0\n"
                                              "[chronos.so]\nActive=1\n[ramgauge.so]\nActive=1\n";
}

void KeystrokeToPreviewRow(benchmark::State& state) {
    TApplicationCoreOptions options;
    options.ProgramFolder = ORVANTA3_OUTPUT_DIR;
    TApplicationCore core(options);
    core.StartModules();
    TJobEditor editor(core, nullptr);
    editor.StartNewJob();
    auto* line1 = editor.findChild<QLineEdit*>("edLine1");
    editor.findChild<QLineEdit*>("edLine2")->setText("$memUsing[,,10,2,bar]$");
    editor.findChild<QLineEdit*>("edLine3")->setText("$date$ $dayofweek$");
    line1->setText("Time $time$ ");
    bool add = true;
    for (auto _ : state) {
        // Typing and deleting in turn keeps the line as long as it was.
        QTest::keyClick(line1, add ? Qt::Key_A : Qt::Key_Backspace);
        editor.Preview().Step(true);
        add = !add;
    }
    if (core.Job().GetLine(0, 1).size() > 13) state.SkipWithError("the job lost a keystroke");
}
BENCHMARK(KeystrokeToPreviewRow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    char folder[] = "/tmp/editor-bench-XXXXXX";
    if (!::mkdtemp(folder)) return 1;
    gDocs = folder;
    WriteSettings();
    ::setenv("XDG_DOCUMENTS_DIR", folder, 1);
    ::setenv("ORVANTA3_PORTIO", ("emu:hd44780:4x20:" + gDocs + "/panel.state").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(gDocs);
    return 0;
}
