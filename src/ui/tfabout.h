#pragma once

#include "ui/screen.h"

class QPushButton;

namespace kestrova::ui {

class CreditsScroller;

// About: scrolling credits that start over whenever the screen is shown, and
// the button that opens the about box.
class TFAbout : public Screen {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* area);

    CreditsScroller* Credits;
    QPushButton* BAbout;

public slots:
    void BAboutClick();

protected:
    void FormShow() override;
    void FormHide() override;
};

}  // namespace kestrova::ui
