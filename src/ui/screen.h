#pragma once

#include <string>

#include <QStyle>
#include <QWidget>

class QToolButton;

namespace kestrova {
class SettingsFile;
}

namespace kestrova::ui {

class TDM;

// What a screen works on, handed to it when it is created, so that no screen
// reaches for a global: the data module (flights table), the settings file and
// the working directory of the data files.
struct ScreenServices {
    TDM& dm;
    const SettingsFile& settings;
    std::string workingDirectory;
};

// A screen of the main window's screen area: borderless, out of the tab
// chain and hidden until the registry shows it. FormShow and FormHide run when
// the registry shows or hides it, not when the whole window is minimised or
// restored.
// An icon-only tool button with the style's standard icon at iconSize (the
// style's own size when empty). Its hint is the tooltip and also what a screen
// reader says.
QToolButton* IconButton(QWidget* parent, const QString& name, const QString& hint, QStyle::StandardPixmap icon,
                        QSize iconSize = {});

class Screen : public QWidget {
    Q_OBJECT
public:
    Screen(const QString& caption, QWidget* area);

    // Asked when the main window is to close; false keeps the program running.
    virtual bool FormCloseQuery() { return true; }

signals:
    void Shown();
    void Hidden();

protected:
    virtual void FormShow() {}
    virtual void FormHide() {}

    // A screen whose controls are still to come shows this caption, centred.
    void ShowPlaceholder(const QString& caption);

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

}  // namespace kestrova::ui
