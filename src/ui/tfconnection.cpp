#include "ui/tfconnection.h"

namespace kestrova::ui {

TFConnection::TFConnection(const ScreenServices& /*services*/, QWidget* area)
    : Screen(QStringLiteral("Connection"), area) { ShowPlaceholder(windowTitle()); }

}  // namespace kestrova::ui
