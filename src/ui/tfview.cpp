#include "ui/tfview.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kestrova::ui {

TFView::TFView(QWidget* area) : Screen(QString(), area) {
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Review Flight"), this);
    caption->setAlignment(Qt::AlignCenter);
    caption->setStyleSheet("color: #8090a0; font-size: 16pt;");
    layout->addWidget(caption);
}

}  // namespace kestrova::ui
