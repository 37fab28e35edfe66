#include "ui/application.h"


#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "flights/flights_backup.h"
#include "platform/platform.h"
#include "settings/settings_file.h"
#include "ui/message_box.h"
#include "ui/single_instance.h"
#include "ui/tdm.h"
#include "ui/tfmain.h"

namespace kestrova::ui {

namespace {

// Saves the main window once it is on the screen, then ends the run. The
// picture is read back from the display, so it shows what a user would see.
void TakeScreenshotAndQuit(TFMain& window, const QString& path) {
    auto* poll = new QTimer(&window);
    poll->setInterval(100);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, path, poll] {
        if (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) return;
        poll->stop();
        poll->deleteLater();
        // Give the first paint time to reach the display.
        QTimer::singleShot(700, &window, [&window, path] {
            QImage image;
            if (QScreen* screen = window.screen()) image = screen->grabWindow(window.winId()).toImage();
            if (image.isNull()) image = window.grab().toImage();  // platforms that cannot read back
            const bool saved = image.save(path, "PNG");
            if (!saved) qWarning("kestrova: cannot write the screenshot %s", qPrintable(path));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
    poll->start();
}

}  // namespace

QString Usage() {
    return QStringLiteral(
        "usage: kestrova [--settings INIFILE]\n\n"
        "The data files (Report.log, FS98.log, Voli.cds) are those of the current directory;\n"
        "the settings file is --settings INIFILE, else Kestrova.INI beside the executable when it\n"
        "stands there or that folder is writable, else $XDG_CONFIG_HOME/kestrova/Kestrova.INI\n"
        "(~/.config/kestrova/Kestrova.INI by default).\n");
}

StartupOptions ParseStartupArguments(const QStringList& arguments) {
    StartupOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == "--help" || arg == "-h") {
            options.showHelp = true;
        } else if (arg == "--settings" || arg == "--screenshot" || arg == "--screen") {
            if (i + 1 >= arguments.size()) {
                options.error = arg + " needs a file name";
                return options;
            }
            const QString value = arguments[++i];
            if (arg == "--settings")
                options.settingsPath = value.toLocal8Bit().toStdString();
            else if (arg == "--screen")
                options.screen = value;
            else
                options.screenshotPath = value;
        } else {
            options.error = "unknown option '" + arg + "'";
            return options;
        }
    }
    if (options.settingsPath.empty()) options.settingsPath = DefaultSettingsPath();
    return options;
}

int RunKestrova(QApplication& app, const StartupOptions& options) {
    SingleInstance instance;
    // A second start only brings the running window forward; it touches no
    // data file, so it cannot write the flights table over the running one's.
    if (!instance.Claim()) return 0;

    TDM dm;
    if (const std::string problem = dm.Open(platform::CurrentDirectory()); !problem.empty())
        ShowErrorMessage(nullptr, problem);
    const auto backup = StartFlightsBackup(platform::CurrentDirectory());
    QObject::connect(&dm, &TDM::OpenFailedLate, &dm,
                     [](const QString& problem) { ShowErrorMessage(nullptr, problem.toStdString()); });
    int result = 0;
    {
        TFMain window(dm, options.settingsPath);
        QObject::connect(&instance, &SingleInstance::RaiseRequested, &window, &TFMain::BringToFront);
        if (!options.screen.isEmpty()) {
            if (window.Registry().Find(options.screen) == nullptr) {
                qWarning("kestrova: no screen '%s' (screens: %s)", qPrintable(options.screen),
                         qPrintable(window.Registry().Keys().join(QLatin1String(", "))));
                return 2;
            }
            window.ShowScreen(options.screen);
        }
        window.show();
        if (!options.screenshotPath.isEmpty()) TakeScreenshotAndQuit(window, options.screenshotPath);
        result = app.exec();
    }
    // The data module ends after the windows; its troubles are still shown.
    if (const std::string problem = dm.Save(); !problem.empty() && options.screenshotPath.isEmpty())
        ShowErrorMessage(nullptr, problem);
    return result;
}

}  // namespace kestrova::ui
