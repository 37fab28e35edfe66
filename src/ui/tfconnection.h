#pragma once

#include "ui/screen.h"

namespace kestrova::ui {

// Connection: starts the flight recorder and shows the flight record and its altitudes.
// The screen's controls are not built yet; it shows its caption only.
class TFConnection : public Screen {
    Q_OBJECT
public:
    TFConnection(const ScreenServices& services, QWidget* area);
};

}  // namespace kestrova::ui
