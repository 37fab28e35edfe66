#include <unistd.h>

#include <memory>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QtEndian>

#include "ui/tdm.h"
#include "ui/tfconvert.h"
#include "ui/tfmain.h"
#include "ui_test_support.h"

using namespace kestrova::ui;

namespace {

QString Fixture(const QString& name) { return QString(CONVERSION_FIXTURES) + "/" + name; }

// Every modal box shown while it lives, each recorded and closed with OK.
class ModalWatch {
public:
    ModalWatch() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            boxes << QStringList{box->windowTitle(), box->text()};
            icons << box->icon();
            box->done(0);
        });
        timer_.start(20);
    }
    QList<QStringList> boxes;  // caption and text of each
    QList<QMessageBox::Icon> icons;

private:
    QTimer timer_;
};

// The file's lines as the view shows them: no line ends, bytes as Latin-1.
QString AsShown(const QByteArray& bytes) {
    QString text = QString::fromLatin1(bytes);
    text.replace("\r\n", "\n");
    if (text.endsWith('\n')) text.chop(1);
    return text;
}

}  // namespace

class TFConvertTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> root_;
    QString work_, temp_, trash_;
    TDM dm_;
    std::unique_ptr<TFMain> window_;
    TFConvert* screen_ = nullptr;
    QList<FileDialogRequest> opened_, saved_;
    QString saveAnswer_;

    // Where the conversions leave their files: a private folder of the temporary directory.
    QString TempOutput(const QString& name) const {
        return temp_ + "/kestrova-" + QString::number(::geteuid()) + "/" + name;
    }

    void OpenScreen() {
        window_.reset();
        window_ = std::make_unique<TFMain>(dm_, (root_->path() + "/Kestrova.INI").toStdString());
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) return;
        window_->ShowScreen("TFConvert");
        screen_ = window_->Registry().Find<TFConvert>();
    }

    void Pick(const QString& path) {
        screen_->openDialog = [this, path](const FileDialogRequest& r) {
            opened_ << r;
            return path;
        };
        QTest::mouseClick(screen_->FEditBrowse, Qt::LeftButton);
    }

    void Choose(QGroupBox* group, const QString& item) {
        for (QRadioButton* button : group->findChildren<QRadioButton*>())
            if (button->text() == item) QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    }

    void Convert(const QString& plan, const QString& from, const QString& to) {
        Pick(plan);
        Choose(screen_->FromRadio, from);
        Choose(screen_->ToRadio, to);
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
    }

    // Permission bits do not bind root: the row runs again in a child process
    // of this program as user nobody, and its verdict is the child's.
    void RunThisRowAsNobody() {
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty()) QSKIP("running as root without setpriv");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", "/tmp");
        env.insert("HOME", "/tmp");
        // User nobody may not write the sanitizers' report folder: the child's
        // reports go to its output, which a failure prints.
        for (const QString& name : {QString("ASAN_OPTIONS"), QString("UBSAN_OPTIONS")}) {
            QStringList options = env.value(name).split(':', Qt::SkipEmptyParts);
            options.removeIf([](const QString& o) { return o.startsWith("log_path="); });
            if (env.contains(name)) env.insert(name, options.join(':'));
        }
        const QStringList asNobody = {"--reuid=65534", "--regid=65534", "--clear-groups"};
        // A checkout in a folder closed to others cannot be run so.
        QProcess probe;
        probe.start(setpriv, asNobody + QStringList{"sh", "-c", "test -x \"$0\" && test -r \"$1\"",
                                                    QCoreApplication::applicationFilePath(),
                                                    Fixture("fpf-all-types.fpf")});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            QSKIP("user nobody cannot reach this program or its fixtures");
        child.setProcessEnvironment(env);
        child.setWorkingDirectory("/tmp");
        child.setProcessChannelMode(QProcess::MergedChannels);
        const QString row = QString(QTest::currentTestFunction()) + ":" + QTest::currentDataTag();
        child.start(setpriv, asNobody + QStringList{QCoreApplication::applicationFilePath(), row});
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(out));
        QVERIFY2(out.contains("PASS   : TFConvertTest::" + row.section(':', 0, 0)), qPrintable(out));
    }

private slots:
    void init() {
        root_ = std::make_unique<QTemporaryDir>();
        QVERIFY(root_->isValid());
        work_ = root_->path() + "/work";
        temp_ = root_->path() + "/tmp";
        trash_ = root_->path() + "/data/Trash/files";
        QVERIFY(QDir().mkpath(work_) && QDir().mkpath(temp_));
        qputenv("TMPDIR", temp_.toLocal8Bit());
        qputenv("XDG_DATA_HOME", (root_->path() + "/data").toLocal8Bit());
        QVERIFY(QDir::setCurrent(work_));
        OpenScreen();
        QVERIFY(screen_ && screen_->isVisible());
        opened_.clear();
        saved_.clear();
        saveAnswer_.clear();
        screen_->saveDialog = [this](const FileDialogRequest& r) {
            saved_ << r;
            return saveAnswer_;
        };
    }
    void cleanup() {
        window_.reset();
        QDir::setCurrent(QDir::tempPath());
        qunsetenv("TMPDIR");
        qunsetenv("XDG_DATA_HOME");
    }

    void controlsByNameAndText() {
        QCOMPARE(screen_->windowTitle(), QString("Conversion Block"));
        QCOMPARE(screen_->LMDSimpleLabel1->text(), QString("Load Plan to convert"));
        QCOMPARE(screen_->LMDSimpleLabel1->buddy(), screen_->FEdit);
        QCOMPARE(screen_->LMDSpeedButton2->accessibleName(), QString("View File"));
        QCOMPARE(screen_->LMDSpeedButton2->toolTip(), QString("View File"));
        QVERIFY(!screen_->FEditBrowse->accessibleName().isEmpty());
        QCOMPARE(screen_->LMDSpeedButton1->text(), QString("Convert"));
        QVERIFY(!screen_->LMDSpeedButton1->icon().isNull());
        QCOMPARE(screen_->FromRadio->title(), QString("From"));
        QCOMPARE(screen_->ToRadio->title(), QString("To"));
        QStringList from, to;
        for (auto* b : screen_->FromRadio->findChildren<QRadioButton*>()) from << b->text();
        for (auto* b : screen_->ToRadio->findChildren<QRadioButton*>()) to << b->text();
        QCOMPARE(from, QStringList({"FlightPlanner", "Winplanner"}));
        QCOMPARE(to, QStringList({"ACS-GPS", "GPS", "FSNAVIGATOR", "FS2000-PLAN"}));
        QCOMPARE(screen_->FromItemIndex(), 0);
        QCOMPARE(screen_->ToItemIndex(), 0);
        for (QWidget* w : QList<QWidget*>{screen_->LMDSimpleLabel1, screen_->FEdit, screen_->LMDSpeedButton2,
                                          screen_->FromRadio, screen_->ToRadio, screen_->LMDSpeedButton1,
                                          screen_->LMDMemo1}) {
            QVERIFY(!w->objectName().isEmpty());
            QCOMPARE(screen_->findChild<QWidget*>(w->objectName()), w);
        }
        const QFont font = screen_->LMDMemo1->font();
        QCOMPARE(font.family(), QString("Courier New"));
        QCOMPARE(font.pixelSize(), 16);
        QVERIFY(font.italic());
        QCOMPARE(screen_->LMDMemo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(screen_->LMDMemo1->verticalScrollBar()->isVisible());
    }

    // The browse dialog starts in the working directory with the first filter,
    // then follows the planner chosen under "From".
    void browseDialogFollowsTheSourcePlanner() {
        const QStringList filters = {"All files (*.*)", "FlightPlanner(*.fpf)", "WinPlanner(*.*) (*.flt)"};
        Pick(QString());
        Choose(screen_->FromRadio, "Winplanner");
        Pick(QString());
        Choose(screen_->FromRadio, "FlightPlanner");
        Pick(Fixture("fpf-all-types.fpf"));
        QCOMPARE(opened_.size(), 3);
        for (const auto& r : opened_) {
            QCOMPARE(r.objectName, QString("FEdit"));
            QCOMPARE(r.directory, work_);
            QCOMPARE(r.filters, filters);
        }
        QCOMPARE(opened_[0].selectedFilter, filters[0]);
        QCOMPARE(opened_[1].selectedFilter, filters[2]);
        QCOMPARE(opened_[2].selectedFilter, filters[1]);
        QCOMPARE(screen_->FEdit->text(), Fixture("fpf-all-types.fpf"));
        // Opened again, the dialog holds the file picked before.
        Pick(QString());
        QCOMPARE(opened_[3].fileName, Fixture("fpf-all-types.fpf"));
    }

    void eachPairConvertsShowsAndSaves_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");  // fixture of the saved bytes; empty for FSNavigator
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("FlightPlanner to ACS-GPS") << "fpf-all-types.fpf" << "FlightPlanner" << "ACS-GPS"
                                                  << "FS98.prg" << "expected/fpf-all-types.prg" << "ACS-GPS (*.prg)"
                                                  << "prg";
        QTest::newRow("FlightPlanner to GPS") << "fpf-all-types.fpf" << "FlightPlanner" << "GPS" << "FS98.txt"
                                              << "expected/fpf-all-types.txt" << "GPS (*.txt)" << "txt";
        QTest::newRow("FlightPlanner to FSNAVIGATOR") << "fpf-all-types.fpf" << "FlightPlanner" << "FSNAVIGATOR"
                                                      << "Altam.fsn" << "" << "FSNavigator (*.fsn)" << "fsn";
        QTest::newRow("FlightPlanner to FS2000-PLAN") << "fpf-all-types.fpf" << "FlightPlanner" << "FS2000-PLAN"
                                                      << "FS98.pln" << "expected/fpf-all-types.pln"
                                                      << "FS2000 (*.pln)" << "pln";
        QTest::newRow("Winplanner to ACS-GPS") << "flt-route.flt" << "Winplanner" << "ACS-GPS" << "FS98.prg"
                                               << "expected/flt-route.prg" << "ACS-GPS (*.prg)" << "prg";
        QTest::newRow("Winplanner to GPS") << "flt-route.flt" << "Winplanner" << "GPS" << "FS98.txt"
                                           << "expected/flt-route.txt" << "GPS (*.txt)" << "txt";
        QTest::newRow("Winplanner to FSNAVIGATOR") << "flt-route.flt" << "Winplanner" << "FSNAVIGATOR"
                                                   << "Altam.fsn" << "" << "FSNavigator (*.fsn)" << "fsn";
    }

    void eachPairConvertsShowsAndSaves() {
        QFETCH(QString, plan);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, output);
        QFETCH(QString, expected);
        QFETCH(QString, filter);
        QFETCH(QString, suffix);
        screen_->LMDMemo1->setPlainText("shown before");
        const QString target = work_ + "/route." + suffix;
        saveAnswer_ = target;
        ModalWatch watch;
        Convert(Fixture(plan), from, to);
        QCOMPARE(watch.boxes, QList<QStringList>());

        QCOMPARE(saved_.size(), 1);
        const FileDialogRequest& r = saved_[0];
        QCOMPARE(r.objectName, QString("SaveDialog1"));
        QCOMPARE(r.filters, QStringList({"ACS-GPS (*.prg)", "GPS (*.txt)", "FSNavigator (*.fsn)", "FS2000 (*.pln)"}));
        QCOMPARE(r.selectedFilter, filter);
        QCOMPARE(r.defaultSuffix, suffix);
        QCOMPARE(r.directory, work_);

        const QByteArray saved = ReadFileBytes(target);
        if (!expected.isEmpty()) {
            QCOMPARE(saved, ReadFileBytes(Fixture(expected)));
            QCOMPARE(screen_->LMDMemo1->toPlainText(), AsShown(ReadFileBytes(Fixture(expected))));
        } else {
            // The binary file is not shown; its first record tells which plan it holds.
            QCOMPARE(screen_->LMDMemo1->toPlainText(), QString("shown before"));
            const int waypoints = from == "FlightPlanner" ? 6 : 4;
            QCOMPARE(saved.size(), 400 + 14 * waypoints);
            QCOMPARE(saved.mid(4, 2), QByteArray("FP"));
            QCOMPARE(qFromLittleEndian<qint32>(saved.constData() + 284), waypoints);
            QCOMPARE(qFromLittleEndian<qint16>(saved.constData() + 388), qint16(8));
            QCOMPARE(qFromLittleEndian<float>(saved.constData() + 390), from == "FlightPlanner" ? 41.806684F : 42.375F);
        }
        // Saved, the converted file leaves the temporary folder for the recycle bin.
        QVERIFY(!QFile::exists(TempOutput(output)));
        QCOMPARE(ReadFileBytes(trash_ + "/" + output), saved);
    }

    void winplannerToFs2000IsNotImplemented() {
        ModalWatch watch;
        Convert(Fixture("flt-route.flt"), "Winplanner", "FS2000-PLAN");
        QCOMPARE(watch.boxes, QList<QStringList>({{"Warning", "Not implemeted"}}));
        QCOMPARE(watch.icons.value(0), QMessageBox::Warning);
        QVERIFY(saved_.isEmpty());
        QVERIFY(!QFile::exists(TempOutput("FS98.pln")));
    }

    // The view keeps the last text route; the dialog offers the FSNavigator filter.
    void fsNavigatorKeepsTheViewAndPreselectsItsFilter() {
        Convert(Fixture("fpf-all-types.fpf"), "FlightPlanner", "GPS");
        const QString shown = AsShown(ReadFileBytes(Fixture("expected/fpf-all-types.txt")));
        QCOMPARE(screen_->LMDMemo1->toPlainText(), shown);
        Convert(Fixture("flt-route.flt"), "Winplanner", "FSNAVIGATOR");
        QCOMPARE(screen_->LMDMemo1->toPlainText(), shown);
        QCOMPARE(saved_.size(), 2);
        QCOMPARE(saved_[1].selectedFilter, QString("FSNavigator (*.fsn)"));
        QCOMPARE(saved_[1].defaultSuffix, QString("fsn"));
        // Both dialogs were cancelled: each converted file waits in the temporary folder.
        QVERIFY(QFile::exists(TempOutput("FS98.txt")));
        QVERIFY(QFile::exists(TempOutput("Altam.fsn")));
    }

    void cancellingTheSaveLeavesTheConvertedFile() {
        Convert(Fixture("fpf-all-types.fpf"), "FlightPlanner", "ACS-GPS");
        QCOMPARE(saved_.size(), 1);
        QCOMPARE(ReadFileBytes(TempOutput("FS98.prg")), ReadFileBytes(Fixture("expected/fpf-all-types.prg")));
        QCOMPARE(QDir(work_).entryList(QDir::Files), QStringList());
        QVERIFY(!QDir(trash_).exists());
    }

    void savingOverAnExistingFileReplacesItWithoutAsking() {
        saveAnswer_ = work_ + "/old route.txt";
        WriteFileBytes(saveAnswer_, QByteArray(4000, 'x'));
        ModalWatch watch;
        Convert(Fixture("flt-route.flt"), "Winplanner", "GPS");
        QCOMPARE(watch.boxes, QList<QStringList>());
        QCOMPARE(ReadFileBytes(saveAnswer_), ReadFileBytes(Fixture("expected/flt-route.txt")));
        QCOMPARE(QDir(work_).entryList(QDir::Files | QDir::Hidden), QStringList({"old route.txt"}));
        QVERIFY(!QFile::exists(TempOutput("FS98.txt")));
    }

    // A copy that fails names the target and keeps the converted file; the
    // target is left as it was.
    void failedCopyNamesTheTargetAndKeepsTheConvertedFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("target inside a file") << "inside file";
        QTest::newRow("read-only folder") << "read-only";
    }

    void failedCopyNamesTheTargetAndKeepsTheConvertedFile() {
        QFETCH(QString, kind);
        const QString folder = work_ + "/routes";
        QVERIFY(QDir().mkpath(folder));
        QString target = folder + "/FS98.prg";
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(target));
        } else if (kind == "inside file") {
            WriteFileBytes(folder + "/plain", "not a folder");
            target = folder + "/plain/FS98.prg";
        } else {
            if (::geteuid() == 0) {
                RunThisRowAsNobody();
                return;
            }
            WriteFileBytes(target, "old route\r\n");
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        saveAnswer_ = target;
        ModalWatch watch;
        Convert(Fixture("fpf-all-types.fpf"), "FlightPlanner", "ACS-GPS");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(watch.boxes, QList<QStringList>({{"Error", "Cannot create file " + target}}));
        QCOMPARE(ReadFileBytes(TempOutput("FS98.prg")), ReadFileBytes(Fixture("expected/fpf-all-types.prg")));
        QVERIFY(!QDir(trash_).exists());
        if (kind == "folder") QVERIFY(QFileInfo(target).isDir());
        if (kind == "read-only") QCOMPARE(ReadFileBytes(target), QByteArray("old route\r\n"));
        // Nothing half-written stays beside the target.
        QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left.size(), 1);
    }

    // Saved into the temporary folder under its own name, the file stays.
    void savingOntoTheConvertedFileItselfKeepsIt() {
        saveAnswer_ = TempOutput("FS98.txt");
        Convert(Fixture("fpf-all-types.fpf"), "FlightPlanner", "GPS");
        QCOMPARE(ReadFileBytes(saveAnswer_), ReadFileBytes(Fixture("expected/fpf-all-types.txt")));
        QVERIFY(!QDir(trash_).exists());
    }

    // Too few lines for the count: the message, then the reduced file is
    // shown and offered as after any conversion.
    void badFileFormatDoesNotStopTheRun() {
        saveAnswer_ = work_ + "/short.prg";
        screen_->LMDMemo1->setPlainText("shown before");
        ModalWatch watch;
        Convert(Fixture("fpf-10-lines-count-2.fpf"), "FlightPlanner", "ACS-GPS");
        QCOMPARE(watch.boxes, QList<QStringList>({{"Error", "Bad File Format. Check It!"}}));
        QCOMPARE(watch.icons.value(0), QMessageBox::Critical);
        QCOMPARE(screen_->LMDMemo1->toPlainText(), QString());
        QCOMPARE(saved_.size(), 1);
        QCOMPARE(saved_[0].selectedFilter, QString("ACS-GPS (*.prg)"));
        QCOMPARE(ReadFileBytes(saveAnswer_), QByteArray());
    }

    void otherErrorsEndTheRunBeforeViewAndSave_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("count not a number") << Fixture("fpf-count-invalid.fpf") << "FlightPlanner" << "GPS"
                                            << "'1x' is not a valid integer value";
        QTest::newRow("line missing inside a block")
            << Fixture("fpf-cut-inside-block.fpf") << "FlightPlanner" << "FSNAVIGATOR"
            << "Line 21 is missing from " + Fixture("fpf-cut-inside-block.fpf");
        QTest::newRow("frequency not a number") << Fixture("fpf-empty-vor-frequency.fpf") << "FlightPlanner"
                                                << "ACS-GPS" << "'' is not a valid integer value";
        QTest::newRow("count beyond the blocks")
            << Fixture("flt-count-beyond-blocks.flt") << "Winplanner" << "GPS"
            << "Line 107 is missing from " + Fixture("flt-count-beyond-blocks.flt");
    }

    void otherErrorsEndTheRunBeforeViewAndSave() {
        QFETCH(QString, plan);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        screen_->LMDMemo1->setPlainText("shown before");
        saveAnswer_ = work_ + "/never";
        ModalWatch watch;
        Convert(plan, from, to);
        QCOMPARE(watch.boxes, QList<QStringList>({{"Error", message}}));
        QCOMPARE(screen_->LMDMemo1->toPlainText(), QString("shown before"));
        QVERIFY(saved_.isEmpty());
        QVERIFY(!QFile::exists(saveAnswer_));
    }

    void planThatVanishedIsReported() {
        const QString plan = work_ + "/gone.fpf";
        QVERIFY(QFile::copy(Fixture("fpf-all-types.fpf"), plan));
        Pick(plan);
        QVERIFY(QFile::remove(plan));
        ModalWatch watch;
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(watch.boxes, QList<QStringList>({{"Error", "Cannot open file " + plan}}));
        QVERIFY(saved_.isEmpty());
    }

    // Typing a path is not enough: the browse dialog must have held a name.
    void convertWaitsForTheBrowseDialog() {
        QTest::keyClicks(screen_->FEdit, Fixture("fpf-all-types.fpf"));
        screen_->LMDMemo1->setPlainText("shown before");
        ModalWatch watch;
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        Choose(screen_->ToRadio, "FS2000-PLAN");
        Choose(screen_->FromRadio, "Winplanner");
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);  // not even the warning
        QCOMPARE(watch.boxes, QList<QStringList>());
        QVERIFY(saved_.isEmpty());
        QVERIFY(!QFile::exists(TempOutput("FS98.prg")));
        QCOMPARE(screen_->LMDMemo1->toPlainText(), QString("shown before"));

        // Opening the dialog on the typed file gives it that name, even when cancelled.
        Choose(screen_->FromRadio, "FlightPlanner");
        Choose(screen_->ToRadio, "GPS");
        Pick(QString());
        QCOMPARE(opened_.value(0).fileName, Fixture("fpf-all-types.fpf"));
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(saved_.size(), 1);
        QCOMPARE(screen_->LMDMemo1->toPlainText(), AsShown(ReadFileBytes(Fixture("expected/fpf-all-types.txt"))));
    }

    void aTypedPathThatIsNoFileGivesTheDialogNoName() {
        QTest::keyClicks(screen_->FEdit, work_ + "/none.fpf");
        Pick(QString());
        QCOMPARE(opened_.value(0).fileName, QString());
        ModalWatch watch;
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(watch.boxes, QList<QStringList>());
        QVERIFY(saved_.isEmpty());
    }

    // Once the dialog has held a name, the field's text is the plan converted.
    void convertReadsTheFieldNotTheDialog() {
        Pick(Fixture("fpf-all-types.fpf"));
        screen_->FEdit->clear();
        QTest::keyClicks(screen_->FEdit, Fixture("flt-route.flt"));
        Choose(screen_->FromRadio, "Winplanner");
        Choose(screen_->ToRadio, "GPS");
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(screen_->LMDMemo1->toPlainText(), AsShown(ReadFileBytes(Fixture("expected/flt-route.txt"))));
    }

    void viewFileShowsThePlanItself() {
        screen_->LMDMemo1->setPlainText("shown before");
        ModalWatch watch;
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);  // empty field: nothing
        QCOMPARE(screen_->LMDMemo1->toPlainText(), QString("shown before"));
        QTest::keyClicks(screen_->FEdit, Fixture("fpf-all-types.fpf"));
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        QCOMPARE(screen_->LMDMemo1->toPlainText(), AsShown(ReadFileBytes(Fixture("fpf-all-types.fpf"))));
        QCOMPARE(watch.boxes, QList<QStringList>());

        screen_->FEdit->setText(work_ + "/none.fpf");
        QTest::mouseClick(screen_->LMDSpeedButton2, Qt::LeftButton);
        QCOMPARE(watch.boxes, QList<QStringList>({{"Error", "Cannot open file " + work_ + "/none.fpf"}}));
        QCOMPARE(screen_->LMDMemo1->toPlainText(), AsShown(ReadFileBytes(Fixture("fpf-all-types.fpf"))));
    }

    // Without a test's answer the screen shows real file dialogs; here the
    // pilot types a plan, then a route name without its extension.
    void realFileDialogs() {
        OpenScreen();  // a fresh window with its own dialogs
        QVERIFY(screen_ && screen_->isVisible());
        QList<QStringList> seen;
        // Answers the next file dialog as the pilot does: the name into its
        // file name field, then its Open or Save button.
        auto answer = [&seen](const QString& typed) {
            auto* timer = new QTimer(QCoreApplication::instance());
            QObject::connect(timer, &QTimer::timeout, [&seen, typed, timer] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) return;
                timer->deleteLater();
                timer->stop();
                seen << QStringList{dialog->objectName(), dialog->directory().absolutePath(),
                                    dialog->selectedNameFilter(), dialog->defaultSuffix()};
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
                if (name == nullptr || buttons == nullptr || buttons->buttons().isEmpty()) {
                    seen << QStringList{"no name field or button"};
                    static_cast<QDialog*>(dialog)->reject();
                    return;
                }
                name->setText(typed);
                for (QAbstractButton* b : buttons->buttons())
                    if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) QTest::mouseClick(b, Qt::LeftButton);
                if (dialog->isVisible()) {
                    seen << QStringList{"refused", typed};
                    static_cast<QDialog*>(dialog)->reject();
                }
            });
            timer->start(20);
        };
        answer(Fixture("flt-route.flt"));
        QTest::mouseClick(screen_->FEditBrowse, Qt::LeftButton);
        QCOMPARE(screen_->FEdit->text(), Fixture("flt-route.flt"));
        Choose(screen_->FromRadio, "Winplanner");
        Choose(screen_->ToRadio, "ACS-GPS");
        answer("my route");
        QTest::mouseClick(screen_->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(seen, QList<QStringList>({{"FEdit", work_, "All files (*.*)", ""},
                                           {"SaveDialog1", work_, "ACS-GPS (*.prg)", "prg"}}));
        QCOMPARE(ReadFileBytes(work_ + "/my route.prg"), ReadFileBytes(Fixture("expected/flt-route.prg")));
    }

    // The window with a converted route in the view, left in the build
    // directory as a picture of the screen.
    void pictureOfAConvertedPlan() {
        const QString plan = work_ + "/alpha-route.fpf";
        QVERIFY(QFile::copy(Fixture("fpf-all-types.fpf"), plan));
        Convert(plan, "FlightPlanner", "GPS");
        const QImage image = window_->grab().toImage();
        const QString png = QString(BINARY_DIR) + "/kestrova-screen-tfconvert.png";
        QVERIFY(image.save(png));
        // The view's dark letters stand on its light ground.
        const QRect view(screen_->LMDMemo1->mapTo(window_.get(), QPoint(0, 0)), screen_->LMDMemo1->size());
        int dark = 0;
        for (int y = view.top(); y < view.bottom(); ++y)
            for (int x = view.left(); x < view.right() - 20; ++x) dark += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
        QVERIFY2(dark > 500, qPrintable(QString("%1 dark pixels in the view").arg(dark)));
    }
};

QTEST_MAIN(TFConvertTest)
#include "tfconvert_test.moc"
