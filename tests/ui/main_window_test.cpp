#include <clocale>
#include <map>
#include <memory>

#include <QAbstractButton>
#include <QDir>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "core/app_context.h"
#include "core/error.h"
#include "flights/flights_table.h"
#include "ui/application.h"
#include "ui/credits_scroller.h"
#include "ui/navigation_bar.h"
#include "ui/screen.h"
#include "platform/platform.h"
#include "ui/tdm.h"
#include "ui/tfabout.h"
#include "ui/tfmain.h"
#include "ui_test_support.h"

using kestrova::Context;
using kestrova::DataFilePath;
using namespace kestrova::ui;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;

    std::unique_ptr<TFMain> MakeWindow(TDM& dm, const QString& settingsPath) {
        auto window = std::make_unique<TFMain>(dm, settingsPath.toStdString());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
        return window;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        qputenv("TMPDIR", temp_.path().toLocal8Bit());
    }

    void registryHoldsTheEightScreensInOrder() {
        TDM dm;
        TFMain window(dm, (temp_.path() + "/none.INI").toStdString());
        const QStringList expected = {"TFOverView", "TFSelect", "TFView", "TFConvert",
                                      "TFPilot",    "TFConnection", "TFDBVoli", "TFAbout"};
        const ScreenRegistry& registry = window.Registry();
        QCOMPARE(registry.Keys(), expected);
        // Each key finds the screen of that window class.
        for (const QString& key : expected)
            QCOMPARE(QString(registry.Find(key)->metaObject()->className()), "kestrova::ui::" + key);
        QCOMPARE(registry.Find<TFAbout>(), qobject_cast<TFAbout*>(registry.Find("TFAbout")));
        QVERIFY(registry.Find("TFNothing") == nullptr);
        // The overview is current from the start; the others wait hidden.
        QCOMPARE(registry.CurrentKey(), QString("TFOverView"));
        for (const QString& key : expected.mid(1)) QVERIFY(registry.Find(key)->isHidden());
        QCOMPARE(registry.Find("TFSelect")->windowTitle(), QString("Select Plan"));
        QCOMPARE(registry.Find("TFConvert")->windowTitle(), QString("Conversion Block"));
        QCOMPARE(registry.Find("TFPilot")->windowTitle(), QString("Pilot Informations"));
        QCOMPARE(registry.Find("TFConnection")->windowTitle(), QString("Connection"));
        QCOMPARE(registry.Find("TFDBVoli")->windowTitle(), QString("DBFlights"));
    }

    void mainWindowFrame() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QString("Altamarinola Reporter 2002  -  V1.0"));
        QCOMPARE(window->size(), QSize(753, 501));
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->Splitter()->orientation(), Qt::Horizontal);
        QCOMPARE(window->Splitter()->sizes().value(0), 148);
        // Every screen covers the whole screen area.
        window->ShowScreen("TFPilot");
        QCOMPARE(window->Registry().Find("TFPilot")->geometry(), window->Registry().Area()->rect());
    }

    void navigationBarItemsShowTheirScreens() {
        struct Row {
            int section;
            const char* sectionText;
            const char* item;
            const char* screen;
        };
        const Row rows[] = {
            {0, "Kestrova 2000", "OverView", "TFOverView"},
            {0, "Kestrova 2000", "Pilot Information", "TFPilot"},
            {0, "Kestrova 2000", "About", "TFAbout"},
            {1, "Manage Flights", "Open Flight", "TFSelect"},
            {1, "Manage Flights", "Review Flight", "TFView"},
            {1, "Manage Flights", "Convert Flight", "TFConvert"},
            {1, "Manage Flights", "DB Flights", "TFDBVoli"},
            {2, "Connection with FS", "Connection to FS", "TFConnection"},
        };
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        NavigationBar* bar = window->Bar();
        QCOMPARE(bar->count(), 3);
        int items = 0;
        for (const Row& row : rows) {
            QCOMPARE(bar->itemText(row.section), QString(row.sectionText));
            QToolButton* button = nullptr;
            for (QToolButton* b : bar->widget(row.section)->findChildren<QToolButton*>())
                if (b->text() == row.item) button = b;
            QVERIFY2(button != nullptr, row.item);
            QVERIFY(!button->icon().isNull());
            bar->setCurrentIndex(row.section);
            QTRY_VERIFY(button->isVisible());
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY2(window->Registry().CurrentKey() == row.screen, row.item);
            QVERIFY(window->Registry().Find(row.screen)->isVisible());
            ++items;
        }
        QCOMPARE(bar->findChildren<QToolButton*>().size(), items);
        // A screen shown without a click brings its section into sight.
        window->ShowScreen("TFDBVoli");
        QCOMPARE(bar->currentIndex(), 1);
        window->ShowScreen("TFConnection");
        QCOMPARE(bar->currentIndex(), 2);
    }

    void showScreenRunsHandlersOnlyOnAChange() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        ScreenRegistry& registry = window->Registry();
        std::map<QString, std::unique_ptr<QSignalSpy>> shown, hidden;
        for (const QString& key : registry.Keys()) {
            shown[key] = std::make_unique<QSignalSpy>(registry.Find(key), &Screen::Shown);
            hidden[key] = std::make_unique<QSignalSpy>(registry.Find(key), &Screen::Hidden);
        }
        auto counts = [&] {
            QList<int> list;
            for (const QString& key : registry.Keys()) list << int(shown[key]->count()) << int(hidden[key]->count());
            return list;
        };
        const QList<int> none = counts();
        QCOMPARE(none, QList<int>(16, 0));

        window->ShowScreen("TFOverView");  // already current
        window->ShowScreen("TFNothing");   // no such screen
        QCOMPARE(counts(), none);
        QCOMPARE(registry.CurrentKey(), QString("TFOverView"));

        Screen* overview = registry.Find("TFOverView");
        Screen* pilot = registry.Find("TFPilot");
        window->ShowScreen("TFPilot");
        QCOMPARE(hidden["TFOverView"]->count(), 1);
        QCOMPARE(shown["TFPilot"]->count(), 1);
        QCOMPARE(registry.Current(), pilot);
        QVERIFY(!overview->isVisible());
        QVERIFY(pilot->isVisible());

        const QList<int> afterSwitch = counts();
        window->ShowScreen("TFPilot");
        QCOMPARE(counts(), afterSwitch);

        window->ShowScreen("TFOverView");
        QCOMPARE(hidden["TFPilot"]->count(), 1);
        QCOMPARE(shown["TFOverView"]->count(), 1);
        // The same objects come back: screens are never re-created.
        QCOMPARE(registry.Find("TFOverView"), overview);
        QCOMPARE(registry.Find("TFPilot"), pilot);
        int visible = 0;
        for (const QString& key : registry.Keys()) visible += registry.Find(key)->isVisible() ? 1 : 0;
        QCOMPARE(visible, 1);
    }

    void registryRefusesASecondScreenOfOneClass() {
        ScreenArea area;
        ScreenRegistry fresh(&area);
        QCOMPARE(fresh.CurrentKey(), QString());
        QVERIFY(fresh.Register(new TFAbout(nullptr), true));  // owned by the area from here on
        QCOMPARE(fresh.CurrentKey(), QString("TFAbout"));

        TDM dm;
        TFMain window(dm, (temp_.path() + "/none.INI").toStdString());
        auto* second = new TFAbout(nullptr);
        QVERIFY(!window.Registry().Register(second, true));
        QVERIFY(window.Registry().Find("TFAbout") != second);
        QCOMPARE(window.Registry().CurrentKey(), QString("TFOverView"));
        delete second;
    }

    void contextFromTheSettingsFile() {
        const QString ini = temp_.path() + "/pilot.INI";
        WriteFileBytes(ini, "[general]\r\npilot=ANNA BIANCHI\r\nPILOTID=AMR042\r\n");
        std::setlocale(LC_NUMERIC, "");
        TDM dm;
        TFMain window(dm, ini.toStdString());
        QCOMPARE(Context().pilotName, std::string("ANNA BIANCHI"));
        QCOMPARE(Context().pilotId, std::string("AMR042"));
        QCOMPARE(Context().pilotNumber, std::string("None"));
        QCOMPARE(Context().resumeConnection, uint8_t(0));
        QCOMPARE(QString::fromStdString(Context().workingDirectory), QDir::currentPath());
        QCOMPARE(QLocale().decimalPoint(), QString("."));
        QCOMPARE(std::string(std::localeconv()->decimal_point), std::string("."));

        TFMain withoutFile(dm, (temp_.path() + "/absent.INI").toStdString());
        QCOMPARE(Context().pilotName, std::string("None"));
        QCOMPARE(Context().pilotId, std::string("None"));
        QCOMPARE(Context().pilotNumber, std::string("None"));
    }

    void startupFromAnotherCurrentDirectory() {
        const QString start = QDir::currentPath();
        QTemporaryDir work;
        QVERIFY(work.isValid());
        QVERIFY(QDir::setCurrent(work.path()));

        const StartupOptions options = ParseStartupArguments({"kestrova"});
        QVERIFY(options.error.isEmpty());
        const QString besideExecutable = QCoreApplication::applicationDirPath() + "/Kestrova.INI";
        QCOMPARE(QString::fromStdString(options.settingsPath), besideExecutable);

        WriteFileBytes(besideExecutable, "[General]\r\nPilot=FROM EXE DIR\r\n");
        TDM dm;
        QCOMPARE(QString::fromStdString(dm.Open(kestrova::platform::CurrentDirectory())), QString());
        TFMain window(dm, options.settingsPath);
        QFile::remove(besideExecutable);
        QVERIFY(QDir::setCurrent(start));

        const QString workDir = QDir(work.path()).canonicalPath();
        QCOMPARE(QDir(QString::fromStdString(Context().workingDirectory)).canonicalPath(), workDir);
        // Data files are addressed in the working directory, the settings file was not.
        const QFileInfo report(QString::fromStdString(DataFilePath(Context(), "Report.log")));
        QCOMPARE(report.fileName(), QString("Report.log"));
        QCOMPARE(QDir(report.absolutePath()).canonicalPath(), workDir);
        QCOMPARE(Context().pilotName, std::string("FROM EXE DIR"));
        // The data module keeps its flights table there too, created empty.
        QVERIFY(QFileInfo::exists(work.path() + "/Voli.cds"));
        QVERIFY(dm.IsOpen());
        QCOMPARE(QString::fromStdString(dm.Save()), QString());
    }

    void unreadableFlightsTableIsReportedAndLeftAlone() {
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString path = work.path() + "/Voli.cds";
        WriteFileBytes(path, "not a flights table");
        TDM dm;
        QCOMPARE(QString::fromStdString(dm.Open(work.path().toStdString())), QString("Cannot open file Voli.cds"));
        QVERIFY(!dm.IsOpen());
        QVERIFY_THROWS_EXCEPTION(kestrova::Error, dm.ClientDataSet1().First());
        QCOMPARE(QString::fromStdString(dm.Save()),
                 QString("ClientDataSet1: Cannot perform this operation on a closed dataset"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a flights table"));
    }

    void neverOpenedModuleHoldsAClosedTable() {
        TDM dm;
        QVERIFY(!dm.IsOpen());
        try {
            dm.ClientDataSet1().RecordCount();
            QFAIL("a closed table answered");
        } catch (const kestrova::Error& e) {
            QCOMPARE(QString(e.what()), QString("ClientDataSet1: Cannot perform this operation on a closed dataset"));
        }
    }

    void commandLine() {
        const StartupOptions given = ParseStartupArguments({"kestrova", "--settings", "my.INI"});
        QVERIFY(given.error.isEmpty());
        QCOMPARE(given.settingsPath, std::string("my.INI"));
        QVERIFY(!ParseStartupArguments({"kestrova", "--settings"}).error.isEmpty());
        QVERIFY(!ParseStartupArguments({"kestrova", "--bogus"}).error.isEmpty());
        QVERIFY(ParseStartupArguments({"kestrova", "--help"}).showHelp);
        const StartupOptions screen =
            ParseStartupArguments({"kestrova", "--screen", "TFDBVoli", "--screenshot", "db.png"});
        QVERIFY(screen.error.isEmpty());
        QCOMPARE(screen.screen, QString("TFDBVoli"));
        QCOMPARE(screen.screenshotPath, QString("db.png"));
        QVERIFY(!ParseStartupArguments({"kestrova", "--screen"}).error.isEmpty());
    }

    void aboutCreditsStartOverOnEveryShow() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        auto* about = window->Registry().Find<TFAbout>();
        QVERIFY(about);
        QCOMPARE(about->Credits->Lines().first(), QString("Thanks to:"));
        QCOMPARE(about->Credits->Lines().last(), QString("The staff and all pilots of Altamarinola for encouragement"));

        window->ShowScreen("TFAbout");
        QTRY_VERIFY(about->Credits->Offset() > 10);
        window->ShowScreen("TFOverView");
        const int stoppedAt = about->Credits->Offset();
        QTest::qWait(150);
        QCOMPARE(about->Credits->Offset(), stoppedAt);  // no scrolling while hidden
        window->ShowScreen("TFAbout");
        QVERIFY(about->Credits->Offset() < stoppedAt);
        QVERIFY(about->Credits->Offset() <= 1);
    }

    void aboutButtonOpensTheAboutBox() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        window->ShowScreen("TFAbout");
        auto* about = window->Registry().Find<TFAbout>();
        QCOMPARE(about->BAbout->text(), QString("About"));
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(about->BAbout, Qt::LeftButton);
        QVERIFY(seen.seen);
        QCOMPARE(seen.title, QString("About"));
        QVERIFY(seen.labels.contains("Kestrova 2000"));
        QVERIFY(seen.labels.contains("Report and Conversion Application for FlightSimulator FS98-FS2000"));
        QVERIFY(seen.labels.contains("3.0 (1.0)"));
        bool contact = false;
        for (QLabel* label : about->findChildren<QLabel*>()) contact |= label->text() == "Contact the Autor";
        QVERIFY(contact);
    }

    void bringToFrontRestoresAMinimisedWindow() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        window->showMinimized();
        QTRY_VERIFY(window->isMinimized());
        window->BringToFront();
        QTRY_VERIFY(!window->isMinimized());
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
