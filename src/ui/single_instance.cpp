#include "ui/single_instance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include "core/error.h"
#include "platform/platform.h"

namespace kestrova::ui {

namespace {

constexpr char kRaise[] = "raise\n";
constexpr char kDone[] = "done\n";

QString SocketPathIn(const QString& directory) {
    QString dir = directory;
    if (dir.isEmpty()) {
        try {
            dir = QString::fromLocal8Bit(platform::SystemTempDirectory().c_str());
        } catch (const Error& e) {
            qWarning("kestrova: %s; the single-instance check is off", e.what());
            return QString();
        }
    }
    if (!dir.endsWith('/')) dir += '/';
    return dir + "kestrova.instance";
}

}  // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent),
      socketPath_(SocketPathIn(directory)),
      lock_(socketPath_.isEmpty() ? QString() : socketPath_ + ".lock") {
    // Only a dead owner makes a lock stale; a program may run for days.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::Claim() {
    if (socketPath_.isEmpty()) return true;
    if (!lock_.tryLock(0)) {
        if (lock_.error() == QLockFile::LockFailedError) {
            AskRunningToRaise(socketPath_);
            return false;
        }
        // Without a usable lock file the program still runs, unguarded.
        qWarning("kestrova: cannot create %s; the single-instance check is off",
                 qPrintable(socketPath_ + ".lock"));
        return true;
    }
    // We hold the lock, so a socket file still there is left from a crash.
    QLocalServer::removeServer(socketPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath_)) {
        qWarning("kestrova: cannot listen on %s: %s", qPrintable(socketPath_), qPrintable(server_.errorString()));
        return true;
    }
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Answer);
    return true;
}

void SingleInstance::Answer() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() != kRaise) continue;
                emit RaiseRequested();
                socket->write(kDone);
                socket->flush();
            }
        });
    }
}

bool SingleInstance::AskRunningToRaise(const QString& socketPath) {
    // The running program may be between taking the lock and listening.
    QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(500)) {
            socket.write(kRaise);
            socket.waitForBytesWritten(1000);
            // Wait for the answer so the window is up before this process ends.
            while (!socket.canReadLine() && socket.waitForReadyRead(2000)) {
            }
            const bool done = socket.canReadLine() && socket.readLine() == kDone;
            socket.disconnectFromServer();
            return done;
        }
        QThread::msleep(100);
    }
    qWarning("kestrova: another instance holds %s but does not answer", qPrintable(socketPath + ".lock"));
    return false;
}

}  // namespace kestrova::ui
