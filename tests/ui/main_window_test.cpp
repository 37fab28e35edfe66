#include <clocale>
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
#include "ui/application.h"
#include "ui/credits_scroller.h"
#include "ui/navigation_bar.h"
#include "ui/screen.h"
#include "platform/platform.h"
#include "ui/tdm.h"
#include "ui/tfabout.h"
#include "ui/tfmain.h"
#include "ui_test_support.h"

using namespace kestrova;
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
        const char* expected[] = {"TFOverView", "TFSelect", "TFView", "TFConvert",
                                  "TFPilot",    "TFConnection", "TFDBVoli", "TFAbout"};
        QCOMPARE(window.Registry().Count(), 8);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(QString(window.Registry().At(i)->metaObject()->className()),
                     QString("kestrova::ui::") + expected[i]);
        // The overview is current from the start; the others wait hidden.
        QCOMPARE(window.Registry().Current(), 0);
        for (int i = 1; i < 8; ++i) QVERIFY(window.Registry().At(i)->isHidden());
        QCOMPARE(window.Registry().At(1)->windowTitle(), QString("Select Plan"));
        QCOMPARE(window.Registry().At(3)->windowTitle(), QString("Conversion Block"));
        QCOMPARE(window.Registry().At(4)->windowTitle(), QString("Pilot Informations"));
        QCOMPARE(window.Registry().At(5)->windowTitle(), QString("Connection"));
        QCOMPARE(window.Registry().At(6)->windowTitle(), QString("DBFlights"));
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
        window->ShowScreen(kScreenPilot);
        QCOMPARE(window->Registry().At(kScreenPilot)->geometry(), window->Registry().Area()->rect());
    }

    void navigationBarItemsShowTheirScreens() {
        struct Row {
            int section;
            const char* sectionText;
            const char* item;
            int screen;
        };
        const Row rows[] = {
            {0, "Kestrova 2000", "OverView", 0},          {0, "Kestrova 2000", "Pilot Information", 4},
            {0, "Kestrova 2000", "About", 7},             {1, "Manage Flights", "Open Flight", 1},
            {1, "Manage Flights", "Review Flight", 2},    {1, "Manage Flights", "Convert Flight", 3},
            {1, "Manage Flights", "DB Flights", 6},       {2, "Connection with FS", "Connection to FS", 5},
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
            QVERIFY2(window->Registry().Current() == row.screen, row.item);
            QVERIFY(window->Registry().At(row.screen)->isVisible());
            ++items;
        }
        QCOMPARE(bar->findChildren<QToolButton*>().size(), items);
    }

    void showScreenRunsHandlersOnlyOnAChange() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        ScreenRegistry& registry = window->Registry();
        std::vector<std::unique_ptr<QSignalSpy>> shown, hidden;
        for (int i = 0; i < registry.Count(); ++i) {
            shown.push_back(std::make_unique<QSignalSpy>(registry.At(i), &Screen::Shown));
            hidden.push_back(std::make_unique<QSignalSpy>(registry.At(i), &Screen::Hidden));
        }
        auto counts = [&] {
            QList<int> list;
            for (size_t i = 0; i < shown.size(); ++i) list << int(shown[i]->count()) << int(hidden[i]->count());
            return list;
        };
        const QList<int> none = counts();
        QCOMPARE(none, QList<int>(16, 0));

        window->ShowScreen(kScreenOverView);  // already current
        QCOMPARE(counts(), none);

        Screen* overview = registry.At(kScreenOverView);
        Screen* pilot = registry.At(kScreenPilot);
        window->ShowScreen(kScreenPilot);
        QCOMPARE(hidden[kScreenOverView]->count(), 1);
        QCOMPARE(shown[kScreenPilot]->count(), 1);
        QCOMPARE(registry.Current(), int(kScreenPilot));
        QVERIFY(!overview->isVisible());
        QVERIFY(pilot->isVisible());

        const QList<int> afterSwitch = counts();
        window->ShowScreen(kScreenPilot);
        QCOMPARE(counts(), afterSwitch);

        window->ShowScreen(kScreenOverView);
        QCOMPARE(hidden[kScreenPilot]->count(), 1);
        QCOMPARE(shown[kScreenOverView]->count(), 1);
        // The same objects come back: screens are never re-created.
        QCOMPARE(registry.At(kScreenOverView), overview);
        QCOMPARE(registry.At(kScreenPilot), pilot);
        int visible = 0;
        for (int i = 0; i < registry.Count(); ++i) visible += registry.At(i)->isVisible() ? 1 : 0;
        QCOMPARE(visible, 1);
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
        QCOMPARE(QString::fromStdString(dm.Save()),
                 QString("ClientDataSet1: Cannot perform this operation on a closed dataset"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a flights table"));
    }

    void commandLine() {
        const StartupOptions given = ParseStartupArguments({"kestrova", "--settings", "my.INI"});
        QVERIFY(given.error.isEmpty());
        QCOMPARE(given.settingsPath, std::string("my.INI"));
        QVERIFY(!ParseStartupArguments({"kestrova", "--settings"}).error.isEmpty());
        QVERIFY(!ParseStartupArguments({"kestrova", "--bogus"}).error.isEmpty());
        QVERIFY(ParseStartupArguments({"kestrova", "--help"}).showHelp);
    }

    void aboutCreditsStartOverOnEveryShow() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        auto* about = qobject_cast<TFAbout*>(window->Registry().At(kScreenAbout));
        QVERIFY(about);
        QCOMPARE(about->Credits->Lines().first(), QString("Thanks to:"));
        QCOMPARE(about->Credits->Lines().last(), QString("The staff and all pilots of Altamarinola for encouragement"));

        window->ShowScreen(kScreenAbout);
        QTRY_VERIFY(about->Credits->Offset() > 10);
        window->ShowScreen(kScreenOverView);
        const int stoppedAt = about->Credits->Offset();
        QTest::qWait(150);
        QCOMPARE(about->Credits->Offset(), stoppedAt);  // no scrolling while hidden
        window->ShowScreen(kScreenAbout);
        QVERIFY(about->Credits->Offset() < stoppedAt);
        QVERIFY(about->Credits->Offset() <= 1);
    }

    void aboutButtonOpensTheAboutBox() {
        TDM dm;
        auto window = MakeWindow(dm, temp_.path() + "/none.INI");
        QVERIFY(window);
        window->ShowScreen(kScreenAbout);
        auto* about = qobject_cast<TFAbout*>(window->Registry().At(kScreenAbout));
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
