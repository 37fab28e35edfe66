#pragma once

#include <QWidget>

namespace kestrova::ui {

// A screen of the main window's screen area: borderless, out of the tab
// chain and hidden until the registry shows it. FormShow and FormHide run when
// the registry shows or hides it, not when the whole window is minimised or
// restored.
class Screen : public QWidget {
    Q_OBJECT
public:
    Screen(const QString& caption, QWidget* area);

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
