#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include <QApplication>
#include <QPlainTextEdit>
#include <QWidget>

#include "../tests/common/test_files.h"
#include "settings/settings_file.h"
#include "ui/tdm.h"
#include "ui/tfview.h"

using namespace kestrova;

namespace {

// A 5 MB log: the lines of a navigation log's leg table over and over.
std::string FiveMegabyteLog() {
    const std::string line =
        "|CHK-PNT   |VOR        |NDB   |HDG|ALT   |  Wind|Dist/Rem|ETE  |ETO  |  \xb0" "C\r\n";
    std::string log;
    while (log.size() < 5 * 1024 * 1024) log += line;
    return log;
}

struct Editor {
    test_support::TempDir dir;
    ui::TDM dm;
    SettingsFile settings{dir.File("Kestrova.INI")};
    QWidget area;
    std::unique_ptr<ui::TFView> view;
    std::string log = FiveMegabyteLog();
    QString path = QString::fromStdString(dir.File("Report.log"));

    Editor() {
        test_support::WriteBytes(dir.File("Report.log"), log);
        view = std::make_unique<ui::TFView>(ui::ScreenServices{dm, settings, dir.path()}, &area);
        area.resize(700, 450);
        view->resize(700, 450);
        area.show();
        view->show();
    }
};

// Made in main, inside the application's lifetime.
Editor* sharedEditor = nullptr;

Editor& SharedEditor() { return *sharedEditor; }

// Opening the file into the editor, as the open button and the recent-files list do.
void BM_OpenFiveMegabytes(benchmark::State& state) {
    Editor& editor = SharedEditor();
    for (auto _ : state) {
        editor.view->OpenF(editor.path);
        QApplication::processEvents();
    }
    if (editor.view->EditorBytes() != editor.log) state.SkipWithError("the text changed on the way in");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(editor.log.size()));
}
BENCHMARK(BM_OpenFiveMegabytes)->Unit(benchmark::kMillisecond);

// Saving it back with its backup.
void BM_SaveFiveMegabytes(benchmark::State& state) {
    Editor& editor = SharedEditor();
    editor.view->OpenF(editor.path);
    for (auto _ : state) editor.view->Save1Click();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(editor.log.size()));
}
BENCHMARK(BM_SaveFiveMegabytes)->Unit(benchmark::kMillisecond);

// Moving the caret to the end updates the status panels.
void BM_CaretToEnd(benchmark::State& state) {
    Editor& editor = SharedEditor();
    editor.view->OpenF(editor.path);
    for (auto _ : state) {
        editor.view->LMDMemo1->moveCursor(QTextCursor::End);
        editor.view->LMDMemo1->moveCursor(QTextCursor::Start);
    }
}
BENCHMARK(BM_CaretToEnd)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Editor editor;
    sharedEditor = &editor;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
