#include <memory>
#include <optional>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "flights/flights_table.h"
#include "ui/tdm.h"
#include "ui/tfmain.h"
#include "ui/tfselect.h"
#include "ui_test_support.h"

using kestrova::ui::TFMain;
using kestrova::ui::TFSelect;
using DataModule = kestrova::ui::TDM;

namespace {

QString Fixture(const QString& name) { return QString(TESTS_DIR) + "/navlog/fixtures/" + name; }

// The hand-written expected log of a fixture, dated today as the screen dates
// it (the C locale's short date, mm/dd/yy).
QByteArray ExpectedLogToday(const QString& name) {
    QByteArray bytes = ReadFileBytes(Fixture(name));
    bytes.replace("12/04/01", QDate::currentDate().toString("MM/dd/yy").toLatin1());
    return bytes;
}

}  // namespace

class SelectTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir base_;  // every test's folders, and the private temporary folder
    std::unique_ptr<QTemporaryDir> dir_;
    QString start_;
    std::unique_ptr<DataModule> dm_;
    std::unique_ptr<TFMain> window_;

    QString Work(const QString& name) const { return dir_->path() + "/" + name; }

    // The main window started in the temporary working directory, on the
    // Select Plan screen; with openTable the flights table is opened there.
    TFSelect* OpenScreen(bool openTable) {
        dm_ = std::make_unique<DataModule>();
        if (openTable && !dm_->Open(dir_->path().toStdString()).empty()) return nullptr;
        window_ = std::make_unique<TFMain>(*dm_, Work("pilot.ini").toStdString());
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) return nullptr;
        window_->ShowScreen("TFSelect");
        return window_->Registry().Find<TFSelect>();
    }

    static void Choose(TFSelect* screen, int planner) {
        QTest::mouseClick(screen->LMDRADIOItems->button(planner), Qt::LeftButton);
    }

    static QStringList Lines(const QPlainTextEdit* text) { return text->toPlainText().split('\n'); }

private slots:
    void initTestCase() {
        qputenv("LC_ALL", "C");
        QVERIFY(base_.isValid());
        qputenv("TMPDIR", base_.path().toLocal8Bit());
    }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>(base_.path() + "/work-XXXXXX");
        QVERIFY(dir_->isValid());
        WriteFileBytes(Work("pilot.ini"), "[General]\r\nPilot=MARIO ROSSI\r\nPilotID=AZ0123\r\nPilotNum=42\r\n");
        start_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_->path()));
    }

    void cleanup() {
        window_.reset();
        if (dm_) dm_->Save();
        dm_.reset();
        QDir::setCurrent(start_);
        dir_.reset();
    }

    void controlsAtStart() {
        TFSelect* screen = OpenScreen(false);
        QVERIFY(screen);
        QCOMPARE(screen->windowTitle(), QString("Select Plan"));
        QCOMPARE(screen->LMDRADIO->title(), QString("Planner"));
        QCOMPARE(screen->LMDRADIOItems->button(0)->text(), QString("FlightPlanner"));
        QCOMPARE(screen->LMDRADIOItems->button(1)->text(), QString("WinPlannner"));
        QCOMPARE(screen->LMDRADIOItems->checkedId(), int(TFSelect::kFlightPlanner));
        QCOMPARE(screen->CheckDb->text(), QString("Save To DbFlights"));
        QVERIFY(!screen->CheckDb->isChecked());
        QCOMPARE(screen->FileOpen->text(), QString("FileOpen"));
        QCOMPARE(screen->LMDButton1->toolTip(), QString("Search File"));
        QCOMPARE(screen->LMDSpeedButton1->toolTip(), QString("Prepare Log"));
        // Icon-only buttons are named for assistive technology by their hints.
        QCOMPARE(screen->LMDSpeedButton1->accessibleName(), QString("Prepare Log"));
        QCOMPARE(screen->s->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(screen->s->font().family(), QString("Courier New"));
        QVERIFY(screen->s->isVisible());
        QVERIFY(!screen->Memo->isVisible());
        QCOMPARE(screen->DialogDirectory(), QDir(dir_->path()).absolutePath());
    }

    void prepareFromEachPlanner_data() {
        QTest::addColumn<int>("planner");
        QTest::addColumn<QString>("fixture");
        QTest::newRow("FlightPlanner by duration") << int(TFSelect::kFlightPlanner) << "fp_duration";
        QTest::newRow("FlightPlanner past midnight") << int(TFSelect::kFlightPlanner) << "fp_clock_midnight";
        QTest::newRow("WinPlanner") << int(TFSelect::kWinPlanner) << "wp_basic";
    }

    void prepareFromEachPlanner() {
        QFETCH(int, planner);
        QFETCH(QString, fixture);
        TFSelect* screen = OpenScreen(false);
        QVERIFY(screen);
        Choose(screen, planner);
        screen->FileOpen->setText(Fixture(fixture + ".txt"));
        const QByteArray navlog = ReadFileBytes(Fixture(fixture + ".txt"));
        QCOMPARE(screen->s->toPlainText().toLatin1(), navlog.trimmed().replace("\r\n", "\n"));
        QCOMPARE(screen->Memo->toPlainText(), screen->s->toPlainText());

        QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
        const QByteArray expected = ExpectedLogToday(fixture + ".expected.log");
        QCOMPARE(ReadFileBytes(Work("Report.log")), expected);
        // The screen shows the log it wrote.
        QCOMPARE(screen->s->toPlainText().toLatin1() + "\n", QByteArray(expected).replace("\r\n", "\n"));
        // Nothing was stored: the box was not ticked.
        QVERIFY(!QFile::exists(Work("Voli.cds")));
        // The window as the pilot sees it now, for the documentation.
        if (planner == TFSelect::kWinPlanner)
            QVERIFY(window_->grab().save(QString(BINARY_DIR) + "/kestrova-screen-tfselect.png"));
    }

    // A FlightPlanner preparation leaves the log in both texts, so a second
    // press finds no navlog; a WinPlanner one keeps the planner text.
    void secondPrepare() {
        TFSelect* screen = OpenScreen(false);
        QVERIFY(screen);
        screen->FileOpen->setText(Fixture("fp_duration.txt"));
        QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
        QByteArray first = ReadFileBytes(Work("Report.log"));
        QFile::remove(Work("Report.log"));
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
        QVERIFY(seen.seen);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, QString("Oops no file loaded or unknown"));
        QVERIFY(!QFile::exists(Work("Report.log")));
        QCOMPARE(screen->s->toPlainText().toLatin1() + "\n", first.replace("\r\n", "\n"));

        Choose(screen, TFSelect::kWinPlanner);
        screen->FileOpen->setText(Fixture("wp_basic.txt"));
        QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
        const QByteArray once = ReadFileBytes(Work("Report.log"));
        QFile::remove(Work("Report.log"));
        QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(Work("Report.log")), once);
    }

    void wrongPlannerAndUnreadableFile() {
        TFSelect* screen = OpenScreen(false);
        QVERIFY(screen);
        Choose(screen, TFSelect::kWinPlanner);
        screen->FileOpen->setText(Fixture("fp_duration.txt"));
        const QString shown = screen->s->toPlainText();
        {
            ModalSeen seen;
            CloseNextModal(seen);
            QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
            QCOMPARE(seen.text, QString("Oops no file loaded or unknown"));
        }
        QVERIFY(!QFile::exists(Work("Report.log")));
        // Every unfinished typed name is reported with the name as typed; the
        // texts keep what they held.
        {
            ModalSeen seen;
            CloseNextModal(seen);
            QTest::keyClick(screen->FileOpen, Qt::Key_X);
            QVERIFY(seen.seen);
            QCOMPARE(seen.title, QString("Error"));
            QCOMPARE(seen.text, QString("Cannot open file ") + Fixture("fp_duration.txtx"));
        }
        QCOMPARE(screen->s->toPlainText(), shown);
        QCOMPARE(screen->Memo->toPlainText(), shown);
    }

    // The dialog's current filter follows the planner choice; its choice is
    // loaded into both texts.
    void browseDialog() {
        TFSelect* screen = OpenScreen(false);
        QVERIFY(screen);
        QStringList seenFilters;
        QList<int> seenCurrent;
        QString seenDir;
        QString answer;
        screen->SetBrowseDialog([&](QWidget*, const QString& dir, const QStringList& filters, int current) {
            seenDir = dir;
            seenFilters = filters;
            seenCurrent << current;
            return answer;
        });
        QTest::mouseClick(screen->FileOpenBrowse, Qt::LeftButton);  // cancelled
        QCOMPARE(screen->FileOpen->text(), QString("FileOpen"));
        QCOMPARE(seenFilters, QStringList({"Text Files (*.txt)", "Planner (*.pln)"}));
        QCOMPARE(seenDir, QDir(dir_->path()).absolutePath());

        Choose(screen, TFSelect::kWinPlanner);
        QTest::mouseClick(screen->FileOpenBrowse, Qt::LeftButton);
        Choose(screen, TFSelect::kFlightPlanner);
        QTest::mouseClick(screen->FileOpenBrowse, Qt::LeftButton);
        Choose(screen, TFSelect::kWinPlanner);
        Choose(screen, TFSelect::kFlightPlanner);
        answer = Fixture("wp_basic.txt");
        QTest::mouseClick(screen->FileOpenBrowse, Qt::LeftButton);
        QCOMPARE(seenCurrent, QList<int>({0, 0, 1, 1}));
        QCOMPARE(screen->FileOpen->text(), answer);
        QCOMPARE(screen->s->toPlainText().toLatin1(), ReadFileBytes(answer).trimmed().replace("\r\n", "\n"));
        QCOMPARE(screen->Memo->toPlainText(), screen->s->toPlainText());
    }

    void storeInTheFlightsTable_data() {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("id");
        QTest::newRow("ID given") << true << "AZ100";
        QTest::newRow("box cancelled keeps the preset") << false << "None";
    }

    void storeInTheFlightsTable() {
        QFETCH(bool, answered);
        QFETCH(QString, id);
        TFSelect* screen = OpenScreen(true);
        QVERIFY(screen);
        QStringList asked;
        screen->SetInputBox([&](QWidget*, const QString& caption, const QString& prompt, const QString& preset) {
            asked << caption << prompt << preset;
            return answered ? std::optional<QString>(id) : std::nullopt;
        });
        QTest::mouseClick(screen->CheckDb, Qt::LeftButton);
        QVERIFY(screen->CheckDb->isChecked());
        screen->FileOpen->setText(Fixture("fp_duration.txt"));
        QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(asked, QStringList({"Insert Flight ID", "ID", "None"}));

        kestrova::FlightsTable& table = dm_->ClientDataSet1();
        QCOMPARE(table.RecordCount(), int64_t(1));
        const std::optional<kestrova::FlightRecord> stored = table.Current();
        QVERIFY(stored.has_value());
        QCOMPARE(QString::fromStdString(stored->id), id);
        QCOMPARE(QByteArray::fromStdString(stored->plan), ReadFileBytes(Work("Report.log")));
        QVERIFY(QString::fromStdString(stored->description).contains(' '));
        QCOMPARE(QString::fromStdString(stored->type), QString());
    }

    // With the table closed the store cannot succeed: that is said before
    // anything is written, and Report.log is not touched.
    void storeWithTheTableClosed() {
        TFSelect* screen = OpenScreen(false);
        QVERIFY(screen);
        bool asked = false;
        screen->SetInputBox([&](QWidget*, const QString&, const QString&, const QString&) {
            asked = true;
            return std::optional<QString>("AZ1");
        });
        WriteFileBytes(Work("Report.log"), "kept\r\n");
        screen->CheckDb->setChecked(true);
        screen->FileOpen->setText(Fixture("fp_duration.txt"));
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(screen->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(seen.text, QString("ClientDataSet1: Cannot perform this operation on a closed dataset"));
        QVERIFY(!asked);
        QCOMPARE(ReadFileBytes(Work("Report.log")), QByteArray("kept\r\n"));
    }

    // Showing another screen and coming back keeps what was loaded and chosen.
    void stateSurvivesScreenSwitches() {
        TFSelect* screen = OpenScreen(false);
        QVERIFY(screen);
        Choose(screen, TFSelect::kWinPlanner);
        screen->CheckDb->setChecked(true);
        screen->FileOpen->setText(Fixture("wp_basic.txt"));
        const QString shown = screen->s->toPlainText();
        window_->ShowScreen("TFPilot");
        window_->ShowScreen("TFSelect");
        QCOMPARE(screen->s->toPlainText(), shown);
        QCOMPARE(screen->LMDRADIOItems->checkedId(), int(TFSelect::kWinPlanner));
        QVERIFY(screen->CheckDb->isChecked());
    }
};

QTEST_MAIN(SelectTest)
#include "select_test.moc"
