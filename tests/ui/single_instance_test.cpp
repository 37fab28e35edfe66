#include <memory>

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/platform.h"
#include "ui/single_instance.h"
#include "ui/tdm.h"
#include "ui/tfmain.h"

using namespace kestrova::ui;

// Real kestrova processes against one private temporary directory, which is
// where the program keeps its instance lock and socket.
class SingleInstanceTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    QString socketPath_;

    std::unique_ptr<QProcess> Start() {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", temp_.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(KESTROVA_GUI_BIN, {"--settings", temp_.path() + "/Kestrova.INI"});
        return process;
    }

    static bool Answers(const QString& path) {
        QLocalSocket socket;
        socket.connectToServer(path);
        const bool up = socket.waitForConnected(200);
        socket.abort();
        return up;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        qputenv("TMPDIR", temp_.path().toLocal8Bit());
        socketPath_ = QString::fromLocal8Bit(kestrova::platform::SystemTempDirectory().c_str()) + "kestrova.instance";
    }

    void secondStartRaisesTheFirstAndEnds() {
        // This test process is the first instance.
        SingleInstance first;
        QVERIFY(first.Claim());
        QCOMPARE(first.SocketPath(), socketPath_);
        TDM dm;
        TFMain window(dm, (temp_.path() + "/Kestrova.INI").toStdString());
        connect(&first, &SingleInstance::RaiseRequested, &window, &TFMain::BringToFront);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());

        QElapsedTimer clock;
        clock.start();
        auto second = Start();
        QVERIFY(second->waitForStarted());
        // Keep our event loop running so the first instance can answer.
        QTRY_VERIFY_WITH_TIMEOUT(second->state() == QProcess::NotRunning, 15000);
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QVERIFY2(clock.elapsed() < 10000, "the second start should end at once");
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }

    void crashedInstanceDoesNotBlockTheNextStart() {
        auto crashed = Start();
        QVERIFY(crashed->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Answers(socketPath_), 15000);
        crashed->kill();
        QVERIFY(crashed->waitForFinished());
        // What the crash left behind.
        QVERIFY(QFile::exists(socketPath_));
        QVERIFY(QFile::exists(socketPath_ + ".lock"));
        QVERIFY(!Answers(socketPath_));

        auto next = Start();
        QVERIFY(next->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Answers(socketPath_), 15000);
        QVERIFY2(next->state() == QProcess::Running, "the start after a crash must keep running");

        // And it is now the one that answers later starts.
        auto third = Start();
        QVERIFY(third->waitForFinished(15000));
        QCOMPARE(third->exitStatus(), QProcess::NormalExit);
        QCOMPARE(third->exitCode(), 0);
        QCOMPARE(next->state(), QProcess::Running);

        next->kill();
        next->waitForFinished();
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
