#include "ui/tfconnection.h"

namespace kestrova::ui {

TFConnection::TFConnection(QWidget* area) : Screen(QStringLiteral("Connection"), area) { ShowPlaceholder(windowTitle()); }

}  // namespace kestrova::ui
