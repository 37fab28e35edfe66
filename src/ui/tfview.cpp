#include "ui/tfview.h"

namespace kestrova::ui {

TFView::TFView(QWidget* area) : Screen(QString(), area) { ShowPlaceholder(QStringLiteral("Review Flight")); }

}  // namespace kestrova::ui
