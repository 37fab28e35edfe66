#include "ui/tfselect.h"

namespace kestrova::ui {

TFSelect::TFSelect(const ScreenServices& /*services*/, QWidget* area)
    : Screen(QStringLiteral("Select Plan"), area) { ShowPlaceholder(windowTitle()); }

}  // namespace kestrova::ui
