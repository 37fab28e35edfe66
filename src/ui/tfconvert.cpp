#include "ui/tfconvert.h"

namespace kestrova::ui {

TFConvert::TFConvert(const ScreenServices& /*services*/, QWidget* area)
    : Screen(QStringLiteral("Conversion Block"), area) { ShowPlaceholder(windowTitle()); }

}  // namespace kestrova::ui
