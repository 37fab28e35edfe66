#pragma once

#include "ui/screen.h"

namespace kestrova::ui {

// Conversion Block: converts a planner plan file into a route file of a navigation add-on.
// The screen's controls are not built yet; it shows its caption only.
class TFConvert : public Screen {
    Q_OBJECT
public:
    TFConvert(const ScreenServices& services, QWidget* area);
};

}  // namespace kestrova::ui
