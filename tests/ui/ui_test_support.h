#pragma once

#include <functional>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

// What a modal box showed before the test closed it.
struct ModalSeen {
    bool seen = false;
    QString className;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList labels;  // every label text of a dialog
};

// Arms a watch for the next modal window: records what it shows and closes
// it, so the test's call into exec() returns. Keep `seen` alive until then.
inline void CloseNextModal(ModalSeen& seen) {
    // Owned by the application too, so a watch that saw no box by the end of
    // the test program is freed with it.
    auto* timer = new QTimer(QCoreApplication::instance());
    const QDeadlineTimer deadline(5000);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, &seen, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            if (deadline.hasExpired()) timer->deleteLater();
            return;
        }
        seen.seen = true;
        seen.className = modal->metaObject()->className();
        seen.title = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
        }
        for (QLabel* label : modal->findChildren<QLabel*>())
            if (!label->text().isEmpty()) seen.labels << label->text();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(0);
        timer->deleteLater();
    });
    timer->start();
}

inline QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<cannot open>");
    return file.readAll();
}

inline void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}
