#pragma once

#include "ui/screen.h"

namespace kestrova::ui {

// The overview: the program's banner above a decorative pattern. No behaviour.
class TFOverView : public Screen {
    Q_OBJECT
public:
    explicit TFOverView(QWidget* area);

    static QString BannerText();

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrova::ui
