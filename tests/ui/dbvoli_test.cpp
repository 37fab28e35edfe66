#include <cstdio>
#include <functional>
#include <memory>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "core/error.h"
#include "flights/flights_table.h"
#include "ui/flights_model.h"
#include "ui/tdm.h"
#include "ui/tfdbvoli.h"
#include "ui/tfmain.h"
#include "ui_test_support.h"

using namespace kestrova;
using namespace kestrova::ui;

namespace {

constexpr const char* kClosed = "ClientDataSet1: Cannot perform this operation on a closed dataset";

// Six flights whose ID order and description order differ; a seventh stored
// by a planner reader has no type. Fresh table: rowids 1..7.
//   ID order:          AZ100, BA300, LX200, None(3), None(4), ZZ700, az050
//   description order: EGLL KJFK, EGLL LFPG, KJFK LIRF, LIML LSZH, LIRF LIML, LIRF LSZH, LSZH LIRF
void Seed(const QString& dir) {
    FlightsTable table = FlightsTable::Open(dir.toStdString());
    table.InsertFlight("LX200", "LSZH LIRF", "NAVIGATION LOG LX200\r\nLSZH  \xB0 047\r\n", "B");
    table.InsertFlight("AZ100", "LIRF LIML", "NAVIGATION LOG AZ100\r\nLIRF\xA0LIML\r\n", "B");
    table.InsertFlight("None", "EGLL LFPG", "log 3\r\n", "T");
    table.InsertFlight("None", "LIML LSZH", "log 4\r\n", "N");
    table.InsertFlight("BA300", "EGLL KJFK", "log 5\r\n", "I");
    table.InsertFlight("az050", "KJFK LIRF", "log 6\r\n", "T");
    table.InsertFlight("ZZ700", "LIRF LSZH", "log 7 from a reader\r\n", "");
}

QStringList Column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) texts << model.index(row, column).data().toString();
    return texts;
}

}  // namespace

class DbVoliTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ui::TDM> dm_;
    std::unique_ptr<TFMain> window_;

    QString Path(const QString& name) const { return dir_->path() + "/" + name; }

    TFDBVoli* OpenScreen() {
        QDir::setCurrent(dir_->path());
        dm_ = std::make_unique<ui::TDM>();
        // Watched from the start: the page check may end while the window opens.
        late_ = std::make_unique<QSignalSpy>(dm_.get(), &ui::TDM::OpenFailedLate);
        openMessage_ = QString::fromStdString(dm_->Open(dir_->path().toStdString()));
        window_ = std::make_unique<TFMain>(*dm_, Path("Kestrova.INI").toStdString());
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) return nullptr;
        window_->ShowScreen("TFDBVoli");
        return window_->Registry().Find<TFDBVoli>();
    }

    QString openMessage_;
    std::unique_ptr<QSignalSpy> late_;  // the data module's OpenFailedLate

    static QString CurrentId(TFDBVoli* screen) {
        const QModelIndex current = screen->DBGrid1->currentIndex();
        return current.isValid() ? screen->Model()->index(current.row(), FlightsModel::ColumnId).data().toString()
                                 : QString();
    }
    // Raw text: toPlainText would show a no-break space as a blank.
    static QByteArray Memo(TFDBVoli* screen) {
        QString text = screen->MemoVoli->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        return text.toLatin1();
    }
    // On the indicator: a radio button's label may not fill its width.
    static void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    static void Nav(TFDBVoli* screen, int button) {
        Click(screen->NavButtons[static_cast<size_t>(button)]);
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void cleanup() {
        window_.reset();
        late_.reset();
        dm_.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    // The grid's model on its own: ordering, filter and the insert row, with
    // Qt's model checker attached and every reset watched.
    void modelFollowsTheTable_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("insert");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<int>("current");
        // Opened on AZ100; a new ordering keeps the record, a filter goes to the first.
        QTest::newRow("by ID") << "ID" << "" << false
                               << QStringList{"AZ100", "BA300", "LX200", "None", "None", "ZZ700", "az050"}
                               << QStringList{"B", "I", "B", "T", "N", "", "T"} << 0;
        QTest::newRow("by description") << "DESCRIZIONE" << "" << false
                                        << QStringList{"BA300", "None", "az050", "None", "AZ100", "ZZ700", "LX200"}
                                        << QStringList{"I", "T", "T", "N", "B", "", "B"} << 4;
        QTest::newRow("business") << "ID" << "B" << false << QStringList{"AZ100", "LX200"} << QStringList{"B", "B"}
                                  << 0;
        QTest::newRow("touristic by description") << "DESCRIZIONE" << "T" << false << QStringList{"None", "az050"}
                                                  << QStringList{"T", "T"} << 0;
        QTest::newRow("no such type") << "ID" << "b" << false << QStringList{} << QStringList{} << -1;
        QTest::newRow("insert row at the end") << "ID" << "I" << true << QStringList{"BA300", ""}
                                               << QStringList{"I", ""} << 1;
    }

    void modelFollowsTheTable() {
        QFETCH(QString, order);
        QFETCH(QString, type);
        QFETCH(bool, insert);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, types);
        QFETCH(int, current);
        Seed(dir_->path());
        FlightsTable table = FlightsTable::Open(dir_->path().toStdString());
        FlightsModel model(table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.Reload();
        table.SetOrderByFieldName(order.toStdString());
        if (!type.isEmpty()) table.SetTypeFilter(type.toStdString());
        if (insert) table.Insert();
        model.Reload();
        QCOMPARE(resets.count(), 2);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("ID"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("DESCRIPTION"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("Type"));
        QCOMPARE(Column(model, FlightsModel::ColumnId), ids);
        QCOMPARE(Column(model, FlightsModel::ColumnType), types);
        QCOMPARE(model.IsInsertRow(static_cast<int>(ids.size()) - 1), insert);
        QCOMPARE(model.CurrentRow(), current);
        if (!ids.isEmpty()) QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    }

    // Rows are read a window at a time, as the view reaches them.
    void modelReadsRowsInWindows() {
        {
            FlightsTable table = FlightsTable::Open(dir_->path().toStdString());
            for (int i = 0; i < 350; ++i) {
                char id[16];
                std::snprintf(id, sizeof id, "F%04d", i);
                table.InsertFlight(id, "LIRF LIML", "log\r\n");
            }
        }
        FlightsTable table = FlightsTable::Open(dir_->path().toStdString());
        FlightsModel model(table);
        model.Reload();
        QCOMPARE(model.rowCount(), 350);
        QCOMPARE(model.WindowsRead(), 0);
        QCOMPARE(model.index(5, 0).data().toString(), QString("F0005"));
        QCOMPARE(model.index(99, 0).data().toString(), QString("F0099"));
        QCOMPARE(model.WindowsRead(), 1);
        QCOMPARE(model.index(349, 0).data().toString(), QString("F0349"));
        QCOMPARE(model.WindowsRead(), 2);
        QCOMPARE(model.index(250, 0).data().toString(), QString("F0250"));
        QCOMPARE(model.WindowsRead(), 3);
    }

    // A cell edit is posted at once and touches only its field: the log
    // stays, even one another instance wrote after the rows were read.
    void cellEditsArePostedAndKeepTheLog() {
        Seed(dir_->path());
        FlightsTable table = FlightsTable::Open(dir_->path().toStdString());
        FlightsTable other = FlightsTable::Open(dir_->path().toStdString());
        FlightsModel model(table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.Reload();
        QCOMPARE(model.index(2, 0).data().toString(), QString("LX200"));  // rows read, without logs
        QVERIFY(other.MoveTo(1));
        other.SetField(FlightField::Plan, "rewritten elsewhere\r\n");
        other.Post();

        struct Case {
            int row, column;
            QString value;
            QString id, description, type;
        };
        const std::vector<Case> cases = {
            {2, FlightsModel::ColumnType, "N", "LX200", "LSZH LIRF", "N"},
            {2, FlightsModel::ColumnDescription, "LSZH LIRF LIML", "LX200", "LSZH LIRF LIML", "N"},
            {2, FlightsModel::ColumnId, "AA0123456789012345678901", "AA012345678901234567", "LSZH LIRF LIML", "N"},
        };
        QSignalSpy posted(&model, &FlightsModel::RecordPosted);
        for (const auto& c : cases) {
            const int64_t rowid = model.RowidAt(c.row);
            QCOMPARE(rowid, int64_t{1});
            QVERIFY(model.setData(model.index(c.row, c.column), c.value));
            QTRY_COMPARE(posted.count(), static_cast<int>(&c - cases.data()) + 1);
            const auto stored = other.ReadRecord(1);  // committed: another connection sees it
            QCOMPARE(QString::fromLatin1(stored->id.c_str()), c.id);
            QCOMPARE(QString::fromLatin1(stored->description.c_str()), c.description);
            QCOMPARE(QString::fromLatin1(stored->type.c_str()), c.type);
            QCOMPARE(QByteArray::fromStdString(stored->plan), QByteArray("rewritten elsewhere\r\n"));
        }
        QCOMPARE(posted.count(), 3);
        // The new ID sorts first now; the table's cursor is on it.
        QCOMPARE(model.index(0, 0).data().toString(), QString("AA012345678901234567"));
        QCOMPARE(model.CurrentRow(), 0);
    }

    void screenLayout() {
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        QCOMPARE(screen->windowTitle(), QString("DBFlights"));
        QCOMPARE(screen->RadioGroup1->title(), QString("Type of flight"));
        QCOMPARE(screen->ROrder->title(), QString("Order"));
        QStringList types, orders;
        for (int i = 0; i < 5; ++i) types << screen->TypeButton(i)->text();
        for (int i = 0; i < 2; ++i) orders << screen->OrderButton(i)->text();
        QCOMPARE(types, QStringList({"All", "Business", "Touristic", "National", "International"}));
        QCOMPARE(orders, QStringList({"ID", "Description"}));
        QVERIFY(screen->TypeButton(0)->isChecked());
        QVERIFY(screen->OrderButton(0)->isChecked());
        QCOMPARE(screen->LMDSpeedButton2->accessibleName(), QString("Save To Report.log"));
        QCOMPARE(screen->LMDSpeedButton2->toolTip(), QString("Save To Report.log"));
        for (QToolButton* button : screen->NavButtons) QVERIFY(!button->accessibleName().isEmpty());
        QCOMPARE(screen->NavButtons[TFDBVoli::NavDelete]->accessibleName(), QString("Delete record"));
        QCOMPARE(screen->Testo->text(), QString());
        QVERIFY(!screen->S->isVisible());
        QCOMPARE(screen->MemoVoli->font().family(), QString("Courier New"));
        for (const char* name : {"LMDDBNavigator1", "LMDSpeedButton2", "St", "DBGrid1", "RadioGroup1", "ROrder", "Testo",
                                 "MemoVoli", "S"})
            QVERIFY2(screen->findChild<QWidget*>(name) != nullptr, name);
        QLabel* findLabel = nullptr;
        for (QLabel* label : screen->findChildren<QLabel*>())
            if (label->text() == "Quick Find") findLabel = label;
        QVERIFY(findLabel);
        QCOMPARE(findLabel->buddy(), static_cast<QWidget*>(screen->Testo));
    }

    void browsingShowsTheLogOfTheCurrentRecord() {
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        QCOMPARE(openMessage_, QString());
        QCOMPARE(CurrentId(screen), QString("AZ100"));
        QCOMPARE(Memo(screen), QByteArray("NAVIGATION LOG AZ100\nLIRF\xA0LIML\n"));
        QCOMPARE(screen->St->text(), QString("Flight: browse, record 1 of 7"));
        struct Step {
            int button;
            const char* id;
        };
        const Step steps[] = {{TFDBVoli::NavNext, "BA300"}, {TFDBVoli::NavNext, "LX200"}, {TFDBVoli::NavLast, "az050"},
                              {TFDBVoli::NavNext, "az050"}, {TFDBVoli::NavPrior, "ZZ700"}, {TFDBVoli::NavFirst, "AZ100"},
                              {TFDBVoli::NavPrior, "AZ100"}, {TFDBVoli::NavSearch, "AZ100"}};
        for (const Step& step : steps) {
            Nav(screen, step.button);
            QCOMPARE(CurrentId(screen), QString(step.id));
        }
        Nav(screen, TFDBVoli::NavNext);
        Nav(screen, TFDBVoli::NavNext);
        QCOMPARE(Memo(screen), QByteArray("NAVIGATION LOG LX200\nLSZH  \xB0 047\n"));
        QCOMPARE(screen->St->text(), QString("Flight: browse, record 3 of 7"));
        // Choosing a row in the grid moves the table.
        screen->DBGrid1->setCurrentIndex(screen->Model()->index(4, 1));
        QCOMPARE(Memo(screen), QByteArray("log 4\n"));
        Nav(screen, TFDBVoli::NavNext);
        QCOMPARE(CurrentId(screen), QString("ZZ700"));
    }

    void filtersAndOrdering() {
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        struct Step {
            int type;   // -1: leave
            int order;  // -1: leave
            QStringList ids;
        };
        const std::vector<Step> steps = {
            {1, -1, {"AZ100", "LX200"}},
            {-1, 1, {"AZ100", "LX200"}},  // LIRF LIML before LSZH LIRF
            {2, -1, {"None", "az050"}},
            {3, -1, {"None"}},
            {4, -1, {"BA300"}},
            {0, -1, {"BA300", "None", "az050", "None", "AZ100", "ZZ700", "LX200"}},
            {-1, 0, {"AZ100", "BA300", "LX200", "None", "None", "ZZ700", "az050"}},
        };
        for (const Step& step : steps) {
            if (step.type >= 0) Click(screen->TypeButton(step.type));
            if (step.order >= 0) Click(screen->OrderButton(step.order));
            QCOMPARE(Column(*screen->Model(), FlightsModel::ColumnId), step.ids);
            // The first visible record is current after a filter change.
            if (step.type >= 0) QCOMPARE(CurrentId(screen), step.ids.first());
        }
        // The reader's record (no type) is gone under a type and back under All.
        Click(screen->TypeButton(1));
        QVERIFY(!Column(*screen->Model(), 0).contains("ZZ700"));
        Click(screen->TypeButton(0));
        QVERIFY(Column(*screen->Model(), 0).contains("ZZ700"));
        // The choices stay while the screen is hidden.
        Click(screen->OrderButton(1));
        window_->ShowScreen("TFOverView");
        window_->ShowScreen("TFDBVoli");
        QVERIFY(screen->OrderButton(1)->isChecked());
        QCOMPARE(Column(*screen->Model(), 0).first(), QString("BA300"));
    }

    void quickFindMovesAtEveryKeystroke_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("landings");
        QTest::newRow("by ID") << 0 << "AZ2" << QStringList{"AZ100", "AZ100", "BA300"};
        QTest::newRow("by ID, between") << 0 << "LZ" << QStringList{"LX200", "None"};
        QTest::newRow("by ID, past the end") << 0 << "zz" << QStringList{"az050", "az050"};
        QTest::newRow("by description") << 1 << "LIRF LS"
                                        << QStringList{"None", "None", "AZ100", "AZ100", "AZ100", "AZ100", "ZZ700"};
        QTest::newRow("by description, first") << 1 << "EGLL L" << QStringList{"BA300", "BA300", "BA300", "BA300",
                                                                               "BA300", "None"};
    }

    void quickFindMovesAtEveryKeystroke() {
        QFETCH(int, order);
        QFETCH(QString, typed);
        QFETCH(QStringList, landings);
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        Click(screen->OrderButton(order));
        QStringList seen;
        for (const QChar c : typed) {
            QTest::keyClick(screen->Testo, c.toLatin1());
            seen << CurrentId(screen);
        }
        QCOMPARE(seen, landings);
        QCOMPARE(screen->Testo->text(), typed);
    }

    // A log edited in the memo and not yet posted is posted by the quick
    // find, and written by "Save To Report.log" as shown.
    void pendingMemoEditIsPostedByQuickFind() {
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        screen->MemoVoli->moveCursor(QTextCursor::End);
        QTest::keyClicks(screen->MemoVoli, "TOTAL 0:45");
        QCOMPARE(screen->St->text(), QString("Flight: edit, record 1 of 7"));
        Click(screen->LMDSpeedButton2);
        QCOMPARE(ReadFileBytes(Path("Report.log")), QByteArray("NAVIGATION LOG AZ100\r\nLIRF\xA0LIML\r\nTOTAL 0:45\r\n"));
        QCOMPARE(screen->S->toPlainText(), QString());
        QTest::keyClick(screen->Testo, 'L');
        QCOMPARE(CurrentId(screen), QString("LX200"));
        QCOMPARE(screen->St->text(), QString("Flight: browse, record 3 of 7"));
        FlightsTable check = FlightsTable::Open(dir_->path().toStdString());
        QCOMPARE(QByteArray::fromStdString(check.ReadRecord(2)->plan),
                 QByteArray("NAVIGATION LOG AZ100\r\nLIRF\xA0LIML\r\nTOTAL 0:45"));
    }

    void deleteAsksFirst() {
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        Nav(screen, TFDBVoli::NavNext);  // BA300
        // The real question, answered by closing it: Cancel keeps the record.
        ModalSeen seen;
        CloseNextModal(seen);
        Nav(screen, TFDBVoli::NavDelete);
        QVERIFY(seen.seen);
        QCOMPARE(seen.text, QString("Delete record?"));
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok | QMessageBox::Cancel));
        QCOMPARE(screen->Model()->rowCount(), 7);
        QCOMPARE(CurrentId(screen), QString("BA300"));

        QStringList asked;
        screen->confirmDelete = [&](QWidget*, const QString& text) {
            asked << text;
            return true;
        };
        Nav(screen, TFDBVoli::NavDelete);
        QCOMPARE(asked, QStringList{"Delete record?"});
        QCOMPARE(Column(*screen->Model(), 0), QStringList({"AZ100", "LX200", "None", "None", "ZZ700", "az050"}));
        QCOMPARE(CurrentId(screen), QString("LX200"));
        Nav(screen, TFDBVoli::NavLast);
        Nav(screen, TFDBVoli::NavDelete);
        QCOMPARE(CurrentId(screen), QString("ZZ700"));
        FlightsTable check = FlightsTable::Open(dir_->path().toStdString());
        QCOMPARE(check.RecordCount(), int64_t{5});

        // Nothing to delete: no question.
        Click(screen->TypeButton(4));
        asked.clear();
        Nav(screen, TFDBVoli::NavDelete);
        QCOMPARE(asked, QStringList());
    }

    void insertEditPostAndCancelFromTheNavigator() {
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        Nav(screen, TFDBVoli::NavInsert);
        QCOMPARE(screen->St->text(), QString("Flight: insert"));
        QCOMPARE(screen->Model()->rowCount(), 8);
        QVERIFY(screen->Model()->IsInsertRow(7));
        QCOMPARE(screen->DBGrid1->currentIndex().row(), 7);
        QCOMPARE(Memo(screen), QByteArray());
        Nav(screen, TFDBVoli::NavCancel);
        QCOMPARE(screen->Model()->rowCount(), 7);
        QCOMPARE(CurrentId(screen), QString("AZ100"));

        // A new flight typed in the grid's insert row is stored at once.
        Nav(screen, TFDBVoli::NavInsert);
        QTest::keyClicks(screen->MemoVoli, "NEW LOG");
        const QModelIndex idCell = screen->Model()->index(7, FlightsModel::ColumnId);
        screen->DBGrid1->setCurrentIndex(idCell);
        screen->DBGrid1->edit(idCell);
        auto* editor = screen->DBGrid1->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("CC900");
        QTest::keyClick(editor, Qt::Key_Return);  // the delegate commits from the event loop
        QTRY_COMPARE(CurrentId(screen), QString("CC900"));
        QCOMPARE(screen->Model()->rowCount(), 8);
        QCOMPARE(Memo(screen), QByteArray("NEW LOG"));
        {
            FlightsTable check = FlightsTable::Open(dir_->path().toStdString());
            QVERIFY(check.FindNearest("CC900"));
            QCOMPARE(QByteArray::fromStdString(check.Current()->plan), QByteArray("NEW LOG"));
            QCOMPARE(QByteArray::fromStdString(check.Current()->type), QByteArray());
        }

        // Edit, change the log, Cancel: the stored log comes back.
        Nav(screen, TFDBVoli::NavEdit);
        QCOMPARE(screen->St->text(), QString("Flight: edit, record 3 of 8"));
        QTest::keyClicks(screen->MemoVoli, " changed");
        Nav(screen, TFDBVoli::NavCancel);
        QCOMPARE(Memo(screen), QByteArray("NEW LOG"));
        screen->MemoVoli->moveCursor(QTextCursor::End);
        QTest::keyClicks(screen->MemoVoli, "!");
        Nav(screen, TFDBVoli::NavPost);
        QCOMPARE(screen->St->text(), QString("Flight: browse, record 3 of 8"));
        FlightsTable check = FlightsTable::Open(dir_->path().toStdString());
        QVERIFY(check.FindNearest("CC900"));
        QCOMPARE(QByteArray::fromStdString(check.Current()->plan), QByteArray("NEW LOG!"));
    }

    void saveToReportLog() {
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        Nav(screen, TFDBVoli::NavNext);
        Nav(screen, TFDBVoli::NavNext);  // LX200: a byte B0 in its log
        WriteFileBytes(Path("Report.log"), "old\r\n");
        Click(screen->LMDSpeedButton2);
        QCOMPARE(ReadFileBytes(Path("Report.log")), QByteArray("NAVIGATION LOG LX200\r\nLSZH  \xB0 047\r\n"));
        QCOMPARE(screen->S->toPlainText(), QString());

        // No record: an empty Report.log.
        FlightsTable other = FlightsTable::Open(dir_->path().toStdString());
        Click(screen->TypeButton(3));  // one National flight; another instance deletes it
        QVERIFY(other.MoveTo(4));
        QVERIFY(other.Delete());
        Nav(screen, TFDBVoli::NavFirst);
        QCOMPARE(screen->Model()->rowCount(), 0);
        Click(screen->LMDSpeedButton2);
        QCOMPARE(ReadFileBytes(Path("Report.log")), QByteArray());

        // Report.log that cannot be written: the message, S emptied all the same.
        QFile::remove(Path("Report.log"));
        QVERIFY(QDir(dir_->path()).mkdir("Report.log"));
        Click(screen->TypeButton(0));
        ModalSeen seen;
        CloseNextModal(seen);
        Click(screen->LMDSpeedButton2);
        QVERIFY(seen.seen);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, "Cannot create file " + Path("Report.log"));
        QCOMPARE(screen->S->toPlainText(), QString());
        QVERIFY(QFileInfo(Path("Report.log")).isDir());
    }

    // "Export..." writes the flights the grid shows, in its order, logs whole.
    void exportShownFlightsAsCsv() {
        Seed(dir_->path());
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        QString folderAsked;
        QString answer;
        screen->chooseExportFile = [&](QWidget*, const QString& folder) {
            folderAsked = folder;
            return answer;
        };
        Click(screen->ExportButton);  // cancelled
        QCOMPARE(folderAsked, dir_->path());
        QVERIFY(QDir(dir_->path()).entryList({"*.csv"}).isEmpty());

        Click(screen->TypeButton(1));  // Business: LX200 and AZ100, in ID order
        answer = Path("business.csv");
        Click(screen->ExportButton);
        QCOMPARE(ReadFileBytes(answer),
                 QByteArray("ID,DESCRIZIONE,PIANO_DI_VOLO,TIPO\r\n"
                            "AZ100,LIRF LIML,\"NAVIGATION LOG AZ100\r\nLIRF\xA0LIML\r\n\",B\r\n"
                            "LX200,LSZH LIRF,\"NAVIGATION LOG LX200\r\nLSZH  \xB0 047\r\n\",B\r\n"));

        // A file that cannot be written: the message, nothing else changes.
        QVERIFY(QDir(dir_->path()).mkdir("taken.csv"));
        answer = Path("taken.csv");
        ModalSeen seen;
        CloseNextModal(seen);
        Click(screen->ExportButton);
        QVERIFY(seen.seen);
        QCOMPARE(seen.text, "Cannot create file " + answer);
        QCOMPARE(screen->Model()->rowCount(), 2);
    }

    void closedTableRefusesEveryAction() {
        WriteFileBytes(Path("Voli.cds"), "not a flights table\r\n");
        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        QCOMPARE(openMessage_, QString("Cannot open file Voli.cds"));
        QCOMPARE(screen->St->text(), QString("Flight: closed"));
        QCOMPARE(screen->Model()->rowCount(), 0);
        QVERIFY(screen->MemoVoli->isReadOnly());
        std::vector<std::pair<QString, std::function<void()>>> actions;
        for (int b = 0; b < TFDBVoli::NavButtonCount; ++b)
            actions.emplace_back(screen->NavButtons[static_cast<size_t>(b)]->accessibleName(),
                                 [screen, b] { Nav(screen, b); });
        actions.emplace_back("Save To Report.log", [screen] { Click(screen->LMDSpeedButton2); });
        actions.emplace_back("Business", [screen] { Click(screen->TypeButton(1)); });
        actions.emplace_back("All", [screen] { Click(screen->TypeButton(0)); });
        actions.emplace_back("Description", [screen] { Click(screen->OrderButton(1)); });
        actions.emplace_back("Quick Find", [screen] { QTest::keyClick(screen->Testo, 'A'); });
        for (const auto& [name, action] : actions) {
            ModalSeen seen;
            CloseNextModal(seen);
            action();
            QVERIFY2(seen.seen, qPrintable(name));
            QCOMPARE(seen.title, QString("Error"));
            QCOMPARE(seen.text, QString(kClosed));
        }
        QVERIFY(!QFile::exists(Path("Report.log")));
        QCOMPARE(ReadFileBytes(Path("Voli.cds")), QByteArray("not a flights table\r\n"));
    }

    // A file whose header and schema are sound opens at once; the check of
    // its pages, found damaged after the start, closes the table, the user is
    // told, and the file is never written.
    void damagedFileFoundAfterTheStart() {
        {
            FlightsTable table = FlightsTable::Open(dir_->path().toStdString());
            for (int i = 0; i < 200; ++i)
                table.InsertFlight("AZ" + std::to_string(i), "LIRF LIML", std::string(300, static_cast<char>('A' + i % 26)));
        }
        QByteArray bytes = ReadFileBytes(Path("Voli.cds"));
        for (int i = 8192; i < 8192 + 600; ++i) bytes[i] = static_cast<char>(i * 7);
        WriteFileBytes(Path("Voli.cds"), bytes);

        TFDBVoli* screen = OpenScreen();
        QVERIFY(screen);
        QCOMPARE(openMessage_, QString());
        QSignalSpy& late = *late_;
        QTRY_COMPARE(late.count(), 1);
        QCOMPARE(late.at(0).at(0).toString(), QString("Cannot open file Voli.cds"));
        QVERIFY(!dm_->IsOpen());
        QCOMPARE(screen->St->text(), QString("Flight: closed"));
        QCOMPARE(screen->Model()->rowCount(), 0);
        ModalSeen seen;
        CloseNextModal(seen);
        Nav(screen, TFDBVoli::NavInsert);
        QVERIFY(seen.seen);
        QCOMPARE(seen.text, QString(kClosed));
        QCOMPARE(ReadFileBytes(Path("Voli.cds")), bytes);
    }

    // Two instances of the program on one Voli.cds: what one changes or
    // deletes behind the other's cursor is neither lost nor written over.
    void twoInstancesShareTheTable() {
        Seed(dir_->path());
        TFDBVoli* first = OpenScreen();
        QVERIFY(first);
        ui::TDM secondDm;
        QCOMPARE(QString::fromStdString(secondDm.Open(dir_->path().toStdString())), QString());
        TFMain secondWindow(secondDm, Path("Kestrova.INI").toStdString());
        secondWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&secondWindow));
        secondWindow.ShowScreen("TFDBVoli");
        auto* second = secondWindow.Registry().Find<TFDBVoli>();
        second->confirmDelete = [](QWidget*, const QString&) { return true; };

        // The second deletes the record the first is on.
        Nav(first, TFDBVoli::NavNext);  // BA300
        Nav(second, TFDBVoli::NavNext);
        Nav(second, TFDBVoli::NavDelete);
        Nav(first, TFDBVoli::NavNext);  // the grid is read again: 6 rows, on from BA300's place
        QCOMPARE(first->Model()->rowCount(), 6);
        QCOMPARE(CurrentId(first), QString("None"));

        // The second rewrites a log; the first changes that flight's type in the grid.
        QTest::keyClicks(second->Testo, "LX");
        second->MemoVoli->moveCursor(QTextCursor::End);
        QTest::keyClicks(second->MemoVoli, "ATA 12:30");
        Nav(second, TFDBVoli::NavPost);
        QVERIFY(first->Model()->setData(first->Model()->index(1, FlightsModel::ColumnType), "N"));
        QTRY_COMPARE(CurrentId(first), QString("LX200"));
        QCOMPARE(Memo(first), QByteArray("NAVIGATION LOG LX200\nLSZH  \xB0 047\nATA 12:30"));

        // The first edits a log the second then deletes: the edit is kept.
        first->MemoVoli->moveCursor(QTextCursor::End);
        QTest::keyClicks(first->MemoVoli, " ok");
        Nav(second, TFDBVoli::NavDelete);  // second is on LX200 as well
        Nav(first, TFDBVoli::NavPost);
        FlightsTable check = FlightsTable::Open(dir_->path().toStdString());
        QVERIFY(check.FindNearest("LX200"));
        QCOMPARE(QByteArray::fromStdString(check.Current()->id), QByteArray("LX200"));
        QCOMPARE(QByteArray::fromStdString(check.Current()->plan),
                 QByteArray("NAVIGATION LOG LX200\r\nLSZH  \xB0 047\r\nATA 12:30 ok"));
        QCOMPARE(QByteArray::fromStdString(check.Current()->type), QByteArray("N"));
        QCOMPARE(check.RecordCount(), int64_t{6});
    }
};

QTEST_MAIN(DbVoliTest)
#include "dbvoli_test.moc"
