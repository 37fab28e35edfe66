#pragma once

#include <string>

#include <QString>
#include <QStringList>

class QApplication;

namespace kestrova::ui {

struct StartupOptions {
    std::string settingsPath;  // --settings, else where DefaultSettingsPath() finds it
    QString screenshotPath;    // --screenshot: save the main window as PNG and end
    QString screen;            // --screen: the key of the screen to start on ("TFDBVoli")
    bool showHelp = false;
    QString error;  // a bad command line, to print with the usage
};

QString Usage();

// The command line without Qt's own options (QCoreApplication::arguments()).
StartupOptions ParseStartupArguments(const QStringList& arguments);

// The whole run of the desktop program: single-instance check, data module,
// main window, message loop. Returns the exit code.
int RunKestrova(QApplication& app, const StartupOptions& options);

}  // namespace kestrova::ui
