#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include "../simlink/test_support.h"
#ifdef KESTROVA_FGBRIDGE
#include <signal.h>

#include <cerrno>

#include "../fgbridge/fake_flightgear.h"
#endif
#include "core/app_context.h"
#include "simlink/flight_record_file.h"
#include "simlink/ipc_client.h"
#include "simlink/recorder.h"
#include "ui/altitude_chart.h"
#include "ui/tdm.h"
#include "ui/tfconnection.h"
#include "ui/tfmain.h"
#include "ui_test_support.h"

using namespace kestrova;
using namespace kestrova::ui;
using namespace std::chrono_literals;

namespace {

const QString kConnected = "Altamarinola Reporter 2002 -->Connected with FS98  IPC 2.690b";
const QString kPrepared = "Altamarinola Reporter 2002 -->file prepared by thread";
const QString kThreadError = "Altamarinola Reporter 2002 -->error in thread FS2000";

// The stand-in's versions (FS98, 2.690b) and a waypoint at an altitude in
// whole metres: the record's field 4 is metres x 3.281, truncated.
std::string Versions() { return "set 0x3304 u32 0x26900002\nset 0x3308 u16 1\n"; }
std::string Waypoint(int minute, long long metres) {
    return "set 0x0239 u8 " + std::to_string(minute) + "\nset 0x0570 s64 " + std::to_string(metres << 32) +
           "\nset 0x0574 s32 " + std::to_string(metres) + "\npress waypoint\nawait waypoint\n";
}
const std::string kEnd = "press end\nawait end\n";

}  // namespace

class ConnectionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::PrivateDirs> dirs_;
    QString oldDirectory_;
    TDM dm_;
    std::unique_ptr<TFMain> window_;
    TFConnection* screen_ = nullptr;
    QStringList titles_;
    bool titleOffThread_ = false;
    int questions_ = 0;

    QString Work() const { return QString::fromStdString(dirs_->Work()); }
    QString RecordPath() const { return Work() + "/FS98.log"; }

    // The main window on the Connection screen, started in the work folder.
    // The resume question is answered with `resume` and counted (without it
    // the screen asks in its own box); the recorder polls fast so that the
    // tests stay short.
    bool Open(std::optional<bool> resume = false) {
        window_ = std::make_unique<TFMain>(dm_, (dirs_->Root() + "/Kestrova.INI"));
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) return false;
        window_->ShowScreen("TFConnection");
        screen_ = window_->Registry().Find<TFConnection>();
        if (resume) {
            screen_->askResume = [this, answer = *resume] {
                ++questions_;
                return answer;
            };
        }
        screen_->recorderOptions.timeSeparator = ':';
        screen_->recorderOptions.pollPause = 100ms;
        screen_->recorderOptions.retryPause = 100ms;
        connect(window_.get(), &QWidget::windowTitleChanged, this, [this](const QString& title) {
            if (QThread::currentThread() != qApp->thread()) titleOffThread_ = true;
            titles_ << title;
        });
        return screen_ != nullptr;
    }

    std::unique_ptr<test::Child> StartSimulator(const std::string& commands = {}) {
        auto sim = std::make_unique<test::Child>(std::vector<std::string>{KESTROVA_SIM, "-"});
        if (!test::WaitForSimulator()) return nullptr;
        // The versions are in place before anyone can connect.
        sim->Send(Versions() + "echo versions set\n");
        if (!sim->WaitForOutput("versions set")) return nullptr;
        sim->Send(commands);
        return sim;
    }

    // A simulator that comes up while the recorder keeps retrying: its
    // versions are in place before it serves, or the retry could read them unset.
    std::unique_ptr<test::Child> StartSimulatorWhileRetried(const std::string& commands) {
        const std::string scenario = dirs_->Root() + "/back.txt";
        test::WriteFile(scenario, Versions() + commands);
        return std::make_unique<test::Child>(std::vector<std::string>{KESTROVA_SIM, scenario});
    }

    // A whole flight: connect, the waypoints at these altitudes, the end key.
    void Fly(const std::vector<long long>& metres, bool resume) {
        QVERIFY(Open(resume));
        std::string commands = "await connect\n";
        for (size_t i = 0; i < metres.size(); ++i) commands += Waypoint(static_cast<int>(i), metres[i]);
        auto sim = StartSimulator(commands + kEnd);
        QVERIFY(sim);
        sim->CloseInput();
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(titles_.contains(kPrepared), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!screen_->Recording(), 5000);
        QCOMPARE(sim->Wait(), 0);  // it ends once the recorder closed its link
    }

    QString ClickExpectingModal(QToolButton* button, ModalSeen& seen) {
        CloseNextModal(seen);
        QTest::mouseClick(button, Qt::LeftButton);
        if (!seen.seen) return "no message box";
        return {};
    }

private slots:
    void init() {
        dirs_ = std::make_unique<test::PrivateDirs>();
        oldDirectory_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(Work()));
        titles_.clear();
        titleOffThread_ = false;
        questions_ = 0;
    }

    void cleanup() {
        window_.reset();
        screen_ = nullptr;
        IpcClose();
        QDir::setCurrent(oldDirectory_);
        dirs_.reset();
    }

    void screenLayout() {
        QVERIFY(Open());
        QCOMPARE(screen_->windowTitle(), QString("Connection"));
        QCOMPARE(screen_->ControlBar1->objectName(), QString("ControlBar1"));
        QCOMPARE(screen_->ControlBar1->height(), 67);
        QCOMPARE(screen_->ControlBar1->geometry().top(), 0);
        struct Row {
            QToolButton* button;
            const char* name;
            int x;
            const char* tip;
        };
        const Row rows[] = {
            {screen_->LMDSpeedButton2, "LMDSpeedButton2", 11, "Connect to FSim"},
            {screen_->LMDSpeedButton1, "LMDSpeedButton1", 124, "View Graph "},
            {screen_->LMDSpeedButton3, "LMDSpeedButton3", 237, "View Generated File"},
        };
        for (const Row& row : rows) {
            QCOMPARE(row.button->objectName(), QString(row.name));
            QCOMPARE(row.button->parentWidget(), screen_->ControlBar1);
            QCOMPARE(row.button->x(), row.x);
            QCOMPARE(row.button->size(), QSize(100, 48));
            QCOMPARE(row.button->toolTip(), QString(row.tip));
            QCOMPARE(row.button->accessibleName(), QString(row.tip).trimmed());
            QVERIFY(!row.button->icon().isNull());
            QVERIFY(row.button->text().isEmpty() || row.button->toolButtonStyle() == Qt::ToolButtonIconOnly);
        }
        QCOMPARE(screen_->StatusBar1->objectName(), QString("StatusBar1"));
        QCOMPARE(screen_->StatusBar1->geometry().bottom(), screen_->rect().bottom());
        QCOMPARE(screen_->Memo1->objectName(), QString("Memo1"));
        QCOMPARE(screen_->Chart1->objectName(), QString("Chart1"));
        QVERIFY(screen_->Memo1->isHidden());
        QVERIFY(screen_->Chart1->isHidden());
        QCOMPARE(screen_->Chart1->Title(), QString("Altitudes"));
        QCOMPARE(screen_->Chart1->XAxisTitle(), QString("Checkpoint"));
        QCOMPARE(screen_->Chart1->YAxisTitle(), QString("Altitude (ft)"));
        QCOMPARE(screen_->Chart1->SeriesCount(), 0);
    }

    void noSimulatorShowsFsNotRunning() {
        QVERIFY(Open());
        WriteFileBytes(RecordPath(), "old\r\n");
        Context().resumeConnection = 1;
        ModalSeen seen;
        QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton2, seen), QString());
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, QString("FS not Running"));
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(questions_, 0);
        QCOMPARE(Context().resumeConnection, uint8_t{1});
        QVERIFY(!screen_->Recording());
        QCOMPARE(ReadFileBytes(RecordPath()), QByteArray("old\r\n"));
        QCOMPARE(window_->windowTitle(), TFMain::DefaultTitle());
    }

#ifdef KESTROVA_FGBRIDGE
    // FlightGear up and no simulator window: Connect starts the bridge (the
    // real program, reading a fake FlightGear), which ends with the program.
    void connectStartsTheFlightGearBridge() {
        fg::FakeFlightGear flightGear;
        fg::FakeFlightGearServer server(flightGear);
        QVERIFY(server.Port() != 0);
        QVERIFY(Open());
        screen_->flightGear.Options().port = server.Port();
        screen_->flightGear.Options().bridge = KESTROVA_FGBRIDGE;
        screen_->flightGear.Options().wait = 30s;  // for a busy test machine; the link comes far sooner
        QVERIFY(!FindSimulatorWindow(kFsInfo.windowClass));
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        // (The fake gives no FlightGear version.)
        QTRY_VERIFY_WITH_TIMEOUT(titles_.contains("Altamarinola Reporter 2002 -->Connected with Any  IPC 0.000"), 10000);
        QCOMPARE(questions_, 1);
        QVERIFY(screen_->Recording());
        const long bridge = screen_->flightGear.BridgeId();
        QVERIFY(bridge != 0);
        QTRY_VERIFY_WITH_TIMEOUT(!flightGear.Shown().empty(), 10000);  // the welcome reached FlightGear

        // Quitting: the recorder closes its link, then the bridge is ended and reaped.
        window_.reset();
        screen_ = nullptr;
        QVERIFY(!TTest2000::AnyRunning());
        QVERIFY(!FindSimulatorWindow(kFsInfo.windowClass));
        QCOMPARE(::kill(static_cast<pid_t>(bridge), 0), -1);
        QCOMPARE(errno, ESRCH);
    }

    // Without FlightGear: the old message, without waiting out the bound, and no bridge left.
    void connectWithoutFlightGearShowsFsNotRunning() {
        QVERIFY(Open());
        screen_->flightGear.Options().port = fg::ClosedPort();
        screen_->flightGear.Options().bridge = KESTROVA_FGBRIDGE;
        screen_->flightGear.Options().wait = 60s;
        ModalSeen seen;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton2, seen), QString());
        QVERIFY2(clock.elapsed() < 60000, qPrintable(QString("%1 ms").arg(clock.elapsed())));
        QCOMPARE(seen.text, QString("FS not Running"));
        QCOMPARE(questions_, 0);
        QVERIFY(!screen_->Recording());
        QCOMPARE(screen_->flightGear.BridgeId(), 0L);
    }
#endif

    // Two waypoints from the stand-in: the titles, the file, the chart.
    void recordsTwoWaypointsAndShowsThem() {
        Fly({100, 1000}, false);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(questions_, 1);
        QCOMPARE(Context().resumeConnection, uint8_t{0});
        QCOMPARE(titles_, QStringList({kConnected, kPrepared}));
        QVERIFY(!titleOffThread_);
        QCOMPARE(window_->windowTitle(), kPrepared);

        const QByteArray record = ReadFileBytes(RecordPath());
        const QList<QByteArray> lines = record.split('\n');
        QCOMPARE(lines.size(), 3);  // two lines ended by CR LF
        QVERIFY(lines[0].startsWith("0:0,0,0,328,") && lines[0].endsWith("\r"));
        QVERIFY(lines[1].startsWith("0:1,0,0,3281,") && lines[1].endsWith("\r"));

        QTest::mouseClick(screen_->LMDSpeedButton3, Qt::LeftButton);
        QVERIFY(screen_->Memo1->isVisible());
        QVERIFY(screen_->Chart1->isHidden());
        QCOMPARE(screen_->Memo1->toPlainText(),
                 QString::fromLatin1(lines[0].chopped(1) + "\n" + lines[1].chopped(1)));

        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QVERIFY(screen_->Memo1->isHidden());
        QVERIFY(screen_->Chart1->isVisible());
        QCOMPARE(screen_->Chart1->SeriesCount(), 1);
        QCOMPARE(screen_->Chart1->SeriesPoints(0), QList<QPointF>({{0, 328}, {1, 3281}}));
        QCOMPARE(screen_->Chart1->SeriesLabels(0), QStringList({"0", "1"}));
        QCOMPARE(screen_->Chart1->SeriesColor(0), QColor(Qt::red));
        // Each label stands just above its own point, not under the marker.
        const auto labelsAbovePoints = [this] {
            for (const QPointF& offset : screen_->Chart1->SeriesLabelOffsets(0))
                if (qAbs(offset.x()) > 1 || offset.y() > -8 || offset.y() < -30) return false;
            return true;
        };
        QTRY_VERIFY(labelsAbovePoints());
        // Both points lie inside the ranges shown.
        QVERIFY(screen_->Chart1->XRange().x() <= 0 && screen_->Chart1->XRange().y() >= 1);
        QVERIFY(screen_->Chart1->YRange().x() <= 328 && screen_->Chart1->YRange().y() > 3281);
    }

    // The record's own example, then the series piling up per click.
    void threeAltitudesThenSeriesPileUp() {
        QVERIFY(Open());
        WriteFileBytes(RecordPath(),
                       "14:5,260,0,1200,12,1013,240,6,15,87,Few 1/8,,,15:5,0,366,Cessna, 182,0,0\r\n"
                       "14:14,101,239,3500,25,1013,250,12,15,81,Few 2/8,,,15:14,0,1066,Cessna,0,0\r\n"
                       "14:23,97,263,3490,> 50,1013,260,18,15,74,Sct 3/8,,,15:23,0,1063,Cessna,0,0\r\n");
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QVERIFY(screen_->Chart1->isVisible());
        QCOMPARE(screen_->Chart1->SeriesCount(), 1);
        QCOMPARE(screen_->Chart1->SeriesPoints(0), QList<QPointF>({{0, 1200}, {1, 3500}, {2, 3490}}));
        QCOMPARE(screen_->Chart1->SeriesLabels(0), QStringList({"0", "1", "2"}));

        QTest::mouseClick(screen_->LMDSpeedButton3, Qt::LeftButton);
        QVERIFY(screen_->Memo1->isVisible());
        QVERIFY(screen_->Chart1->isHidden());
        QCOMPARE(screen_->Memo1->document()->blockCount(), 3);
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(screen_->Chart1->SeriesCount(), 2);
        QCOMPARE(screen_->Chart1->SeriesPoints(1), screen_->Chart1->SeriesPoints(0));
        QVERIFY(screen_->Memo1->isHidden());
    }

    void emptyRecordGivesEmptyMemoAndEmptySeries() {
        QVERIFY(Open());
        WriteFileBytes(RecordPath(), "");
        screen_->Memo1->setPlainText("earlier text");
        QTest::mouseClick(screen_->LMDSpeedButton3, Qt::LeftButton);
        QCOMPARE(screen_->Memo1->toPlainText(), QString());
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QVERIFY(screen_->Chart1->isVisible());
        QCOMPARE(screen_->Chart1->SeriesCount(), 1);
        QVERIFY(screen_->Chart1->SeriesPoints(0).isEmpty());
    }

    void recordThatCannotBeReadChangesNothing_data() {
        QTest::addColumn<QByteArray>("record");  // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("no record") << QByteArray() << "Cannot open file %1/FS98.log";
        QTest::newRow("empty line") << QByteArray("1:2,3,4,1200\r\n\r\n1:4,3,4,1300\r\n")
                                    << "'' is not a valid integer value";
        QTest::newRow("not a number") << QByteArray("1:2,3,4,1200\r\n1:3,3,4,12a,5\r\n")
                                      << "'12a' is not a valid integer value";
    }

    void recordThatCannotBeReadChangesNothing() {
        QFETCH(QByteArray, record);
        QFETCH(QString, message);
        const QString expected = message.contains("%1") ? message.arg(Work()) : message;
        QVERIFY(Open());
        if (!record.isEmpty()) WriteFileBytes(RecordPath(), record);

        // View Graph: a message, and neither the memo nor the chart changes.
        screen_->Memo1->setPlainText("earlier text");
        screen_->Memo1->show();
        ModalSeen graph;
        QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton1, graph), QString());
        QCOMPARE(graph.title, QString("Error"));
        QCOMPARE(graph.text, expected);
        QCOMPARE(screen_->Chart1->SeriesCount(), 0);
        QVERIFY(screen_->Memo1->isVisible());
        QVERIFY(screen_->Chart1->isHidden());
        QCOMPARE(screen_->Memo1->toPlainText(), QString("earlier text"));

        if (record.isEmpty()) {
            // View Generated File: the memo is shown already and keeps its text.
            screen_->Memo1->hide();
            ModalSeen file;
            QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton3, file), QString());
            QCOMPARE(file.text, expected);
            QVERIFY(screen_->Memo1->isVisible());
            QCOMPARE(screen_->Memo1->toPlainText(), QString("earlier text"));
        }
    }

    // Yes keeps the old lines and adds the new one; No starts a new record.
    void resumeAppendsOrTruncates_data() {
        QTest::addColumn<bool>("resume");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void resumeAppendsOrTruncates() {
        QFETCH(bool, resume);
        const QByteArray old = "12:0,90,100,1500,10,1013,0,0,15,50,Haze,,,13:0,0,457,Old,0,0\r\n";
        WriteFileBytes(RecordPath(), old);
        Fly({50}, resume);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(questions_, 1);
        QCOMPARE(Context().resumeConnection, static_cast<uint8_t>(resume ? 1 : 0));
        const QByteArray record = ReadFileBytes(RecordPath());
        QCOMPARE(record.count('\n'), resume ? 2 : 1);
        QCOMPARE(record.startsWith(old), resume);
        QVERIFY(record.endsWith("\r\n"));
        QVERIFY(record.mid(resume ? old.size() : 0).startsWith("0:0,0,0,164,"));  // 50 m
    }

    // The real question box: its text and buttons; closing it counts as No.
    void resumeQuestionBox() {
        QVERIFY(Open(std::nullopt));
        Context().resumeConnection = 1;
        auto sim = StartSimulator();
        QVERIFY(sim);
        ModalSeen seen;
        QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton2, seen), QString());
        QCOMPARE(seen.text, QString("Resume Broken Connection?"));
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
        QCOMPARE(Context().resumeConnection, uint8_t{0});
        QVERIFY(screen_->Recording());
    }

    // While a recorder holds the record: a second Connect is refused and the
    // viewers cannot open it; after the end key both work again.
    void whileRecording() {
        QVERIFY(Open());
        auto sim = StartSimulator("await connect\n" + Waypoint(7, 300));
        QVERIFY(sim);
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(titles_.contains(kConnected), 10000);
        QVERIFY(screen_->Recording());
        QTRY_VERIFY_WITH_TIMEOUT(test::ReadFile(dirs_->WorkFile("FS98.log")).find("\r\n") != std::string::npos,
                                 10000);

        ModalSeen second;
        QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton2, second), QString());
        QCOMPARE(second.title, QString("Error"));
        QCOMPARE(second.text, QString("A flight recorder is already running"));
        QCOMPARE(questions_, 1);

        ModalSeen file;
        QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton3, file), QString());
        QCOMPARE(file.text, "Cannot open file " + RecordPath());
        ModalSeen graph;
        QCOMPARE(ClickExpectingModal(screen_->LMDSpeedButton1, graph), QString());
        QCOMPARE(graph.text, "Cannot open file " + RecordPath());
        QCOMPARE(screen_->Chart1->SeriesCount(), 0);

        sim->Send(kEnd);
        sim->CloseInput();
        QTRY_VERIFY_WITH_TIMEOUT(titles_.contains(kPrepared), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!screen_->Recording(), 5000);
        QTest::mouseClick(screen_->LMDSpeedButton3, Qt::LeftButton);
        QVERIFY(screen_->Memo1->toPlainText().startsWith("0:7,0,0,984,"));
        QCOMPARE(sim->Wait(), 0);

        // Ended, a recorder may start again.
        auto next = StartSimulator("await connect\n" + kEnd);
        QVERIFY(next);
        next->CloseInput();
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        QCOMPARE(questions_, 2);
        QTRY_VERIFY_WITH_TIMEOUT(titles_.count(kPrepared) == 2, 10000);
        QCOMPARE(next->Wait(), 0);
    }

    // A slow and then a vanished simulator: the title tells, the event loop
    // keeps turning, and a simulator started again is recorded from.
    void simulatorStallsAndDiesWhileTheGuiStaysResponsive() {
        QVERIFY(Open());
        auto sim = StartSimulator("await connect\n" + Waypoint(1, 200) + "fault stall 2500\n");
        QVERIFY(sim);

        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(20);
        connect(&ticker, &QTimer::timeout, this, [&] {
            if (ticks++ > 0) longestGap = std::max(longestGap, sinceTick.elapsed());
            sinceTick.restart();
        });
        ticker.start();
        sinceTick.start();

        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        // Replies later than the 2000 ms time-out: the recorder reports the error.
        QTRY_VERIFY_WITH_TIMEOUT(titles_.contains(kThreadError), 15000);
        QTest::qWait(1500);
        sim->Kill(SIGKILL);
        sim->Wait();
        QTest::qWait(1500);
        QCOMPARE(window_->windowTitle(), kThreadError);
        QVERIFY(screen_->Recording());
        QVERIFY2(longestGap < 1500, qPrintable(QString("the event loop stood still for %1 ms").arg(longestGap)));
        QVERIFY(ticks > 50);

        auto back = StartSimulatorWhileRetried("await connect\n" + Waypoint(2, 400) + kEnd);
        QTRY_VERIFY_WITH_TIMEOUT(titles_.contains(kPrepared), 20000);
        QCOMPARE(titles_.first(), kConnected);
        QCOMPARE(titles_.mid(titles_.size() - 2), QStringList({kConnected, kPrepared}));
        QVERIFY(!titleOffThread_);
        QVERIFY2(longestGap < 1500, qPrintable(QString("the event loop stood still for %1 ms").arg(longestGap)));
        const std::string record = test::ReadFile(dirs_->WorkFile("FS98.log"));
        QCOMPARE(std::count(record.begin(), record.end(), '\n'), 2);
        QCOMPARE(record.substr(0, 4), std::string("0:1,"));
        QCOMPARE(record.substr(record.find('\n') + 1, 4), std::string("0:2,"));
        QCOMPARE(back->Wait(), 0);
    }

    // Closing the program mid-flight ends the recorder: the lines written
    // stay whole, the record is let go, the link is closed.
    void quittingWhileRecording_data() {
        QTest::addColumn<bool>("stalled");
        QTest::newRow("simulator answering") << false;
        QTest::newRow("simulator too slow") << true;
    }

    void quittingWhileRecording() {
        QFETCH(bool, stalled);
        QVERIFY(Open());
        auto sim = StartSimulator("await connect\n" + Waypoint(3, 600) + (stalled ? "fault stall 2500\n" : ""));
        QVERIFY(sim);
        sim->CloseInput();
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(test::ReadFile(dirs_->WorkFile("FS98.log")).find("\r\n") != std::string::npos,
                                 10000);
        if (stalled) QTRY_VERIFY_WITH_TIMEOUT(titles_.contains(kThreadError), 15000);
        QVERIFY(TTest2000::AnyRunning());

        window_->close();
        QElapsedTimer quitting;
        quitting.start();
        window_.reset();
        screen_ = nullptr;
        // Bounded by the link's time-outs, never a hang.
        QVERIFY2(quitting.elapsed() < 10000, qPrintable(QString("%1 ms").arg(quitting.elapsed())));
        QVERIFY(!TTest2000::AnyRunning());
        QVERIFY(!IpcIsOpen());
        const std::string record = test::ReadFile(dirs_->WorkFile("FS98.log"));
        QCOMPARE(record.substr(0, 12), std::string("0:3,0,0,1968"));
        QCOMPARE(std::count(record.begin(), record.end(), '\n'), 1);
        QVERIFY(record.size() > 2 && record.substr(record.size() - 2) == "\r\n");
        // No recorder holds the record any more.
        QVERIFY(LoadFlightRecord(dirs_->Work()).size() == 1);
        if (!stalled) QCOMPARE(sim->Wait(), 0);  // the stand-in ends when the link closes
    }

public:
    // The README picture: the chart of the stand-in's demonstration flight,
    // recorded through the screen (about 20 s). Not a test: run the program
    // with --picture FOLDER. An empty string when the picture was saved.
    QString TakePicture(const QString& folder) {
        init();
        const auto done = qScopeGuard([this] { cleanup(); });
        if (!Open()) return "no main window";
        test::Child sim({KESTROVA_SIM, "--demo"});
        if (!test::WaitForSimulator()) return "no simulator";
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        if (!QTest::qWaitFor([this] { return titles_.contains(kPrepared) && !screen_->Recording(); }, 60000))
            return "the demonstration flight did not end";
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        if (screen_->Chart1->SeriesCount() != 1 || screen_->Chart1->SeriesPoints(0).size() != 6)
            return "not the six points of the demonstration flight";
        QTest::qWait(500);
        const QString png = folder + "/screenshot-tfconnection.png";
        if (!window_->grab().save(png, "PNG")) return "cannot write " + png;
        return sim.Wait() == 0 ? QString() : "the simulator did not end";
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ConnectionTest test;
    if (argc == 3 && QByteArray(argv[1]) == "--picture") {
        const QString problem = test.TakePicture(QString::fromLocal8Bit(argv[2]));
        if (!problem.isEmpty()) qWarning("%s", qPrintable(problem));
        return problem.isEmpty() ? 0 : 1;
    }
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "connection_test.moc"
