#include <memory>

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "core/app_context.h"
#include "ui/tdm.h"
#include "ui/tfmain.h"
#include "ui/tfpilot.h"
#include "ui/upper_case_edit.h"
#include "ui_test_support.h"

using namespace kestrova;
using namespace kestrova::ui;

class PilotTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    TDM dm_;
    std::unique_ptr<TFMain> window_;

    QString IniPath() const { return dir_->path() + "/Kestrova.INI"; }

    TFPilot* OpenPilotScreen(const QString& iniPath) {
        window_ = std::make_unique<TFMain>(dm_, iniPath.toStdString());
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) return nullptr;
        window_->ShowScreen("TFPilot");
        return window_->Registry().Find<TFPilot>();
    }

    QStringList Edits(TFPilot* pilot) { return {pilot->EPilot->text(), pilot->EId->text(), pilot->EPilotN->text()}; }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void cleanup() { window_.reset(); }

    void screenLayout() {
        TFPilot* pilot = OpenPilotScreen(IniPath());
        QVERIFY(pilot);
        QCOMPARE(pilot->windowTitle(), QString("Pilot Informations"));
        QStringList labels;
        for (QLabel* label : pilot->findChildren<QLabel*>())
            if (!label->text().isEmpty()) labels << label->text();
        QVERIFY(labels.contains("Pilot Name "));
        QVERIFY(labels.contains("Pilot Id"));
        QVERIFY(labels.contains("Pilot #"));
        QCOMPARE(pilot->BSave->text(), QString("Save"));
        QCOMPARE(pilot->EPilot->objectName(), QString("EPilot"));
        QCOMPARE(pilot->EId->objectName(), QString("EId"));
        QCOMPARE(pilot->EPilotN->objectName(), QString("EPilotN"));
    }

    void withoutSettingsFileShowsNoneAndSaveCreatesIt() {
        TFPilot* pilot = OpenPilotScreen(IniPath());
        QVERIFY(pilot);
        // The default "None" is set into edits that upper-case whatever is set.
        QCOMPARE(Edits(pilot), QStringList({"NONE", "NONE", "NONE"}));
        QVERIFY(!QFile::exists(IniPath()));
        QTest::mouseClick(pilot->BSave, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(IniPath()), QByteArray("[General]\r\nPilot=NONE\r\nPilotID=NONE\r\nPilotNum=NONE\r\n"));
    }

    void lettersTurnUpperCase_data() {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("shown");
        QTest::newRow("typed") << true << "mario rossi" << "MARIO ROSSI";
        QTest::newRow("typed digits and signs") << true << "amr-042/b" << "AMR-042/B";
        QTest::newRow("set") << false << "anna" << "ANNA";
        QTest::newRow("set Latin-1") << false << QString::fromLatin1("\xe0\xe9\xf1 ok") << QString::fromLatin1("\xc0\xc9\xd1 OK");
        // No upper case inside Latin-1: kept, so the text still fits 8 bits.
        QTest::newRow("set y diaeresis and sharp s") << false << QString::fromLatin1("\xff\xdf") << QString::fromLatin1("\xff\xdf");
    }

    void lettersTurnUpperCase() {
        QFETCH(bool, typed);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        UpperCaseEdit edit;
        if (typed)
            QTest::keyClicks(&edit, input);
        else
            edit.setText(input);
        QCOMPARE(edit.text(), shown);
    }

    void typingInTheMiddleKeepsTheCaret() {
        UpperCaseEdit edit;
        edit.setText("ABCD");
        edit.setCursorPosition(2);
        QTest::keyClicks(&edit, "xy");
        QCOMPARE(edit.text(), QString("ABXYCD"));
        QCOMPARE(edit.cursorPosition(), 4);
    }

    void saveWritesTheFileNotTheContext() {
        WriteFileBytes(IniPath(), "[General]\r\nFont=Courier New\r\n");
        TFPilot* pilot = OpenPilotScreen(IniPath());
        QVERIFY(pilot);
        QCOMPARE(Context().pilotName, std::string("None"));
        pilot->EPilot->clear();
        QTest::keyClicks(pilot->EPilot, "mario rossi");
        pilot->EId->clear();
        QTest::keyClicks(pilot->EId, "amr123");
        pilot->EPilotN->clear();
        QTest::keyClicks(pilot->EPilotN, "42");
        QTest::mouseClick(pilot->BSave, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(IniPath()),
                 QByteArray("[General]\r\nFont=Courier New\r\nPilot=MARIO ROSSI\r\nPilotID=AMR123\r\nPilotNum=42\r\n"));
        QCOMPARE(Edits(pilot), QStringList({"MARIO ROSSI", "AMR123", "42"}));
        // The running program keeps what it read at start.
        QCOMPARE(Context().pilotName, std::string("None"));
        QCOMPARE(Context().pilotId, std::string("None"));

        // Unsaved edits go when the screen is left; the saved values come back.
        pilot->EPilot->setText("unsaved");
        window_->ShowScreen("TFOverView");
        window_->ShowScreen("TFPilot");
        QCOMPARE(Edits(pilot), QStringList({"MARIO ROSSI", "AMR123", "42"}));

        // The next start reads the new values.
        window_.reset();
        TFMain next(dm_, IniPath().toStdString());
        QCOMPARE(Context().pilotName, std::string("MARIO ROSSI"));
        QCOMPARE(Context().pilotId, std::string("AMR123"));
        QCOMPARE(Context().pilotNumber, std::string("42"));
    }

    void anEmptyEditIsStoredEmptyNotNone() {
        TFPilot* pilot = OpenPilotScreen(IniPath());
        QVERIFY(pilot);
        pilot->EId->clear();
        QTest::mouseClick(pilot->BSave, Qt::LeftButton);
        window_.reset();
        TFMain next(dm_, IniPath().toStdString());
        QCOMPARE(Context().pilotName, std::string("NONE"));
        QCOMPARE(Context().pilotId, std::string());
    }

    void refusedWriteShowsUnableToWrite() {
        const QString ini = dir_->path() + "/missing-folder/Kestrova.INI";
        TFPilot* pilot = OpenPilotScreen(ini);
        QVERIFY(pilot);
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(pilot->BSave, Qt::LeftButton);
        QVERIFY(seen.seen);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, "Unable to write to " + ini);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // The screen stays as it was and usable.
        QCOMPARE(Edits(pilot), QStringList({"NONE", "NONE", "NONE"}));
        QVERIFY(pilot->isVisible());
        QVERIFY(!QFile::exists(ini));
    }
};

QTEST_MAIN(PilotTest)
#include "pilot_test.moc"
