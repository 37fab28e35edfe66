#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Runs the real program on a virtual X display with the given arguments and
// a work directory, until it has saved its screenshot to png. An empty string
// when it did; what went wrong otherwise.
static QString RunForScreenshot(const QString& workDir, const QStringList& arguments, const QString& png) {
    const QString xvfbRun = QStandardPaths::findExecutable("xvfb-run");
    QFile::remove(png);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("TMPDIR", workDir);
    env.insert("XDG_RUNTIME_DIR", workDir);
    // No session bus: the program needs none, and Qt's D-Bus thread would
    // otherwise still hold a read buffer when the process ends, which the
    // leak checker of the sanitizer build reports.
    env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    QProcess run;
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(workDir);
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(xvfbRun, QStringList{"-a", "-s", "-screen 0 1024x768x24", KESTROVA_GUI_BIN, "--settings",
                                   workDir + "/Kestrova.INI", "--screenshot", png} +
                           arguments);
    if (!run.waitForStarted()) return "xvfb-run did not start";
    if (!run.waitForFinished(90000)) return "kestrova did not end after its screenshot";
    if (run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        return QString("kestrova ended with %1").arg(run.exitCode());
    return QString();
}

// Starts the real program on a virtual X display, lets it save its main
// window and checks that the picture holds a drawn window. The PNGs stay in
// the build directory for the CI artifacts.
class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        if (QStandardPaths::findExecutable("xvfb-run").isEmpty()) QSKIP("xvfb-run is not installed");
    }

    void mainWindowUnderXvfb() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString png = QString(BINARY_DIR) + "/kestrova-main-window.png";
        const QString problem = RunForScreenshot(temp.path(), {}, png);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        QImage image(png);
        QVERIFY2(!image.isNull(), qPrintable("no picture in " + png));
        QCOMPARE(image.size(), QSize(753, 501));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y) & 0xffffff);
        QVERIFY2(colours.size() > 100, qPrintable(QString("only %1 colours").arg(colours.size())));
        // The navigation bar's dark pane on the left, the light overview on the right.
        QVERIFY(qGray(image.pixel(4, 300)) < 128);
        QVERIFY(qGray(image.pixel(600, 100)) > 128);
    }

    // --screen starts on the named screen: the pilot screen's white edits
    // stand where the overview draws its blue banner.
    void startsOnTheNamedScreen() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString overview = QString(BINARY_DIR) + "/kestrova-screen-overview.png";
        const QString pilot = QString(BINARY_DIR) + "/kestrova-screen-pilot.png";
        QString problem = RunForScreenshot(temp.path(), {"--screen", "TFOverView"}, overview);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        problem = RunForScreenshot(temp.path(), {"--screen", "TFPilot"}, pilot);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QImage a(overview), b(pilot);
        QCOMPARE(a.size(), QSize(753, 501));
        QCOMPARE(b.size(), a.size());
        int differing = 0;
        for (int y = 0; y < a.height(); y += 3)
            for (int x = 160; x < a.width(); x += 3) differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        QVERIFY2(differing > 2000, qPrintable(QString("%1 pixels differ").arg(differing)));
    }

    // Refused before anything is shown, so no display is needed: the
    // offscreen platform, without xvfb-run and its own exit codes.
    void unknownScreenEndsTheRunWithAnError() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TMPDIR", temp.path());
        env.insert("XDG_RUNTIME_DIR", temp.path());
        env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        QProcess run;
        run.setProcessEnvironment(env);
        run.setWorkingDirectory(temp.path());
        run.start(KESTROVA_GUI_BIN, {"--settings", temp.path() + "/Kestrova.INI", "--screen", "TFNothing",
                                     "--screenshot", temp.path() + "/none.png"});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 2);
        QVERIFY(run.readAllStandardError().contains("no screen 'TFNothing'"));
        QVERIFY(!QFile::exists(temp.path() + "/none.png"));
    }
};

QTEST_GUILESS_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
