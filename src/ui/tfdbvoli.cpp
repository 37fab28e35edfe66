#include "ui/tfdbvoli.h"

namespace kestrova::ui {

TFDBVoli::TFDBVoli(const ScreenServices& /*services*/, QWidget* area)
    : Screen(QStringLiteral("DBFlights"), area) { ShowPlaceholder(windowTitle()); }

}  // namespace kestrova::ui
