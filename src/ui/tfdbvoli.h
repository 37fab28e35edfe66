#pragma once

#include "ui/screen.h"

namespace kestrova::ui {

// DBFlights: browses and edits the flights table.
// The screen's controls are not built yet; it shows its caption only.
class TFDBVoli : public Screen {
    Q_OBJECT
public:
    TFDBVoli(const ScreenServices& services, QWidget* area);
};

}  // namespace kestrova::ui
