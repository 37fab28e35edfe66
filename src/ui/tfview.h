#pragma once

#include "ui/screen.h"

namespace kestrova::ui {

// The log editor: opens, updates, saves and mails the navigation log. Its title is the name of the open file.
// The screen's controls are not built yet; it shows its caption only.
class TFView : public Screen {
    Q_OBJECT
public:
    TFView(const ScreenServices& services, QWidget* area);
};

}  // namespace kestrova::ui
