// The DBFlights screen and the start of the program with a Voli.cds of
// 100,000 flights (about 200 MB), against the same start with an empty table.
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include "flights/flights_table.h"
#include "../bench_flights.h"
#include "ui/flights_model.h"
#include "ui/tdm.h"
#include "ui/tfdbvoli.h"
#include "ui/tfmain.h"

namespace {

using bench_flights::kFlights;
using bench_flights::MakePlan;
using bench_flights::MakeTempDir;

const std::string& EmptyDirectory() {
    static const std::string dir = [] {
        std::string d = MakeTempDir("dbvoli_bench_empty");
        { kestrova::FlightsTable::Open(d); }
        return d;
    }();
    return dir;
}

// An empty table made by the library, then filled in one transaction.
const std::string& FullDirectory() {
    static const std::string dir = [] {
        std::string d = MakeTempDir("dbvoli_bench_full");
        bench_flights::FillTable(d);
        return d;
    }();
    return dir;
}

// What the program does from the data module to the first painted window.
struct Program {
    explicit Program(const std::string& dir) {
        QDir::setCurrent(QString::fromStdString(dir));
        dm = std::make_unique<kestrova::ui::TDM>();
        dm->Open(dir);
        window = std::make_unique<kestrova::ui::TFMain>(*dm, dir + "/Kestrova.INI");
        window->show();
        QApplication::processEvents();
    }
    std::unique_ptr<kestrova::ui::TDM> dm;
    std::unique_ptr<kestrova::ui::TFMain> window;
};

// Start-up: arg 0 with an empty Voli.cds, arg 1 with 100,000 flights.
void BM_StartUp(benchmark::State& state) {
    const std::string& dir = state.range(0) == 0 ? EmptyDirectory() : FullDirectory();
    for (auto _ : state) {
        auto program = std::make_unique<Program>(dir);
        benchmark::DoNotOptimize(program->window->isVisible());
        state.PauseTiming();
        program.reset();  // stops the check of the file, if still running
        state.ResumeTiming();
    }
    state.counters["flights"] = state.range(0) == 0 ? 0 : kFlights;
}
BENCHMARK(BM_StartUp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

// From choosing "DB Flights" to its grid painted with the first rows.
void BM_ShowDBFlights(benchmark::State& state) {
    const std::string& dir = FullDirectory();
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>(dir);
        program->dm->ClientDataSet1().WaitForCheck();  // not part of this step
        auto* screen = program->window->Registry().Find<kestrova::ui::TFDBVoli>();
        state.ResumeTiming();
        program->window->ShowScreen("TFDBVoli");
        QApplication::processEvents();
        screen->DBGrid1->viewport()->repaint();
        state.PauseTiming();
        if (screen->Model()->WindowsRead() == 0) state.SkipWithError("no rows read");
        state.counters["windows_read"] = screen->Model()->WindowsRead();
        state.counters["rows"] = screen->Model()->rowCount();
        program.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowDBFlights)->Unit(benchmark::kMillisecond)->Iterations(10);

// One Quick Find keystroke: the table moves, the grid scrolls to the record
// and repaints, the memo shows its log. Typing "AZ4711" by ID (arg 0) or
// "LSZH E" by description (arg 1); the time is per keystroke.
void BM_QuickFindKeystroke(benchmark::State& state) {
    Program program(FullDirectory());
    program.dm->ClientDataSet1().WaitForCheck();
    program.window->ShowScreen("TFDBVoli");
    QApplication::processEvents();
    auto* screen = program.window->Registry().Find<kestrova::ui::TFDBVoli>();
    screen->OrderButton(static_cast<int>(state.range(0)))->click();
    const QString text = state.range(0) == 0 ? QStringLiteral("AZ4711") : QStringLiteral("LSZH E");
    for (auto _ : state) {
        state.PauseTiming();
        screen->Testo->clear();
        screen->DBGrid1->scrollToTop();
        QApplication::processEvents();
        state.ResumeTiming();
        for (const QChar c : text) {
            QTest::keyClick(screen->Testo, c.toLatin1());
            QApplication::processEvents();
            screen->DBGrid1->viewport()->repaint();
        }
    }
    state.counters["row"] = screen->DBGrid1->currentIndex().row();
    state.counters["keystrokes"] = benchmark::Counter(static_cast<double>(state.iterations() * text.size()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_QuickFindKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    std::filesystem::remove_all(EmptyDirectory());
    std::filesystem::remove_all(FullDirectory());
    return 0;
}
