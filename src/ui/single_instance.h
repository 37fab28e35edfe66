#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

namespace kestrova::ui {

// One running program per user. The first start holds a lock file and
// listens on a local socket beside it; a later start finds the lock taken,
// asks the running program through the socket to come forward and ends.
// A lock left by a program that crashed belongs to a dead process and is
// taken over, and its socket file is replaced, so it never blocks a start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // directory: where the lock and the socket lie; empty means the user's
    // private temporary directory.
    explicit SingleInstance(const QString& directory = QString(), QObject* parent = nullptr);

    // True when this process is the one to run (then it answers later
    // starts), false when another one runs and has been asked to come forward.
    bool Claim();

    QString SocketPath() const { return socketPath_; }

signals:
    void RaiseRequested();

private:
    void Answer();
    static bool AskRunningToRaise(const QString& socketPath);

    QString socketPath_;
    QLockFile lock_;
    QLocalServer server_;
};

}  // namespace kestrova::ui
