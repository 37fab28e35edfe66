#pragma once

#include <string>

#include <QWidget>

#include "settings/settings_file.h"
#include "ui/screen_registry.h"

class QSplitter;

namespace kestrova::ui {

class NavigationBar;
class TDM;

// The main window: the navigation bar on the left, the screen area on the
// right. Creating it creates the eight screens, each handed the services it
// works on, and fills the application context.
class TFMain : public QWidget {
    Q_OBJECT
public:
    TFMain(TDM& dm, const std::string& settingsPath, QWidget* parent = nullptr);

    static QString DefaultTitle();

    const SettingsFile& Settings() const { return settings_; }
    TDM& DataModule() const { return dm_; }
    ScreenRegistry& Registry() { return registry_; }
    NavigationBar* Bar() const { return bar_; }
    QSplitter* Splitter() const { return splitter_; }

public slots:
    void ShowScreen(const QString& key);

    // A second start of the program asks the running one to come forward.
    void BringToFront();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();

    TDM& dm_;
    SettingsFile settings_;
    NavigationBar* bar_;
    QSplitter* splitter_;
    ScreenRegistry registry_;
};

}  // namespace kestrova::ui
