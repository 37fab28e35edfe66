#include "ui/tfconnection.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kestrova::ui {

TFConnection::TFConnection(QWidget* area) : Screen(QStringLiteral("Connection"), area) {
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(windowTitle(), this);
    caption->setAlignment(Qt::AlignCenter);
    caption->setStyleSheet("color: #8090a0; font-size: 16pt;");
    layout->addWidget(caption);
}

}  // namespace kestrova::ui
