#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Starts the real program on a virtual X display, lets it save its main
// window and checks that the picture holds a drawn window. The PNG stays in
// the build directory for the CI artifacts.
class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void mainWindowUnderXvfb() {
        const QString xvfbRun = QStandardPaths::findExecutable("xvfb-run");
        if (xvfbRun.isEmpty()) QSKIP("xvfb-run is not installed");

        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString png = QString(BINARY_DIR) + "/kestrova-main-window.png";
        QFile::remove(png);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("TMPDIR", temp.path());
        env.insert("XDG_RUNTIME_DIR", temp.path());
        // No session bus: the program needs none, and Qt's D-Bus thread would
        // otherwise still hold a read buffer when the process ends, which the
        // leak checker of the sanitizer build reports.
        env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        QProcess run;
        run.setProcessEnvironment(env);
        run.setWorkingDirectory(temp.path());
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(xvfbRun, {"-a", "-s", "-screen 0 1024x768x24", KESTROVA_GUI_BIN, "--settings",
                            temp.path() + "/Kestrova.INI", "--screenshot", png});
        QVERIFY(run.waitForStarted());
        QVERIFY2(run.waitForFinished(90000), "kestrova did not end after its screenshot");
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);

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
};

QTEST_GUILESS_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
