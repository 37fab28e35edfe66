#include <cstdio>

#include <QApplication>

#include "ui/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrova 2000"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));

    const kestrova::ui::StartupOptions options = kestrova::ui::ParseStartupArguments(QApplication::arguments());
    if (options.showHelp) {
        std::fputs(qPrintable(kestrova::ui::Usage()), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "kestrova: %s\n\n%s", qPrintable(options.error), qPrintable(kestrova::ui::Usage()));
        return 2;
    }
    return kestrova::ui::RunKestrova(app, options);
}
