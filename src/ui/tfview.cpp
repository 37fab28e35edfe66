#include "ui/tfview.h"

namespace kestrova::ui {

TFView::TFView(const ScreenServices& /*services*/, QWidget* area)
    : Screen(QString(), area) { ShowPlaceholder(QStringLiteral("Review Flight")); }

}  // namespace kestrova::ui
