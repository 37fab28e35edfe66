#pragma once

#include "ui/screen.h"

namespace kestrova::ui {

// Select Plan: loads a planner's navlog and prepares Report.log from it.
// The screen's controls are not built yet; it shows its caption only.
class TFSelect : public Screen {
    Q_OBJECT
public:
    TFSelect(const ScreenServices& services, QWidget* area);
};

}  // namespace kestrova::ui
