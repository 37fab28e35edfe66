#include "ui/tfconvert.h"

namespace kestrova::ui {

TFConvert::TFConvert(QWidget* area) : Screen(QStringLiteral("Conversion Block"), area) { ShowPlaceholder(windowTitle()); }

}  // namespace kestrova::ui
