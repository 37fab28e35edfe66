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
#include "ui/flights_model.h"
#include "ui/tdm.h"
#include "ui/tfdbvoli.h"
#include "ui/tfmain.h"

namespace {

constexpr int kFlights = 100000;

std::string MakeTempDir(const char* name) {
    std::string pattern = (std::filesystem::temp_directory_path() / name).string() + "_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

// About 2.5 KB, like a prepared log of some thirty legs.
std::string MakePlan(int n) {
    std::string plan = "NAVIGATION LOG  FLIGHT " + std::to_string(n) + "\r\n";
    for (int leg = 0; leg < 30; ++leg)
        plan += "CHK" + std::to_string(leg) + "   045\xB0  12.4  0:07  FL120  ....  ....  ....  ....\r\n";
    return plan;
}

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
        { kestrova::FlightsTable::Open(d); }
        sqlite3* db = nullptr;
        sqlite3_open((d + "/Voli.cds").c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO ClientDataSet1 (ID, DESCRIZIONE, PIANO_DI_VOLO, TIPO) VALUES (?, ?, ?, ?)",
                           -1, &stmt, nullptr);
        static const char* const airports[] = {"LIRF", "LIML", "LIMC", "LSZH", "EGLL", "LFPG", "EDDF", "KJFK",
                                               "LEMD", "LGAV", "LPPT", "EHAM", "LOWW", "LKPR", "EBBR", "LIPZ"};
        static const char* const types[] = {"B", "T", "N", "I", ""};
        for (int i = 0; i < kFlights; ++i) {
            const std::string id = "AZ" + std::to_string((i * 7919) % kFlights);
            const std::string description = std::string(airports[i % 16]) + " " + airports[(i / 16) % 16];
            const std::string plan = MakePlan(i);
            sqlite3_bind_text(stmt, 1, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 2, description.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 3, plan.data(), static_cast<int>(plan.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 4, types[i % 5], -1, SQLITE_STATIC);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
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
