#include "ui/tfabout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/about_box.h"
#include "ui/credits_scroller.h"
#include "ui/icons.h"

namespace kestrova::ui {

namespace {

QStringList CreditLines() {
    return {
        QStringLiteral("Thanks to:"),
        QString(),
        QStringLiteral("The authors of the FSUIPC module,"),
        QStringLiteral("who opened the simulator to other programs,"),
        QString(),
        QStringLiteral("The authors of its conversion to the client library"),
        QStringLiteral("through which this program talks to the simulator,"),
        QString(),
        QStringLiteral("The staff and all pilots of Altamarinola for encouragement"),
    };
}

}  // namespace

TFAbout::TFAbout(QWidget* area) : Screen(QString(), area) {
    auto* layout = new QVBoxLayout(this);
    Credits = new CreditsScroller(CreditLines(), this);
    Credits->setMinimumHeight(180);
    layout->addWidget(Credits, 1);

    auto* lower = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(DrawnIcon(IconKind::Application).pixmap(40, 40));
    lower->addWidget(icon);
    lower->addWidget(new QLabel(QStringLiteral("Contact the Autor"), this), 1);
    BAbout = new QPushButton(QStringLiteral("About"), this);
    BAbout->setObjectName(QStringLiteral("BAbout"));
    lower->addWidget(BAbout);
    layout->addLayout(lower);
    connect(BAbout, &QPushButton::clicked, this, &TFAbout::BAboutClick);
}

void TFAbout::FormShow() { Credits->Restart(); }

void TFAbout::FormHide() { Credits->Stop(); }

void TFAbout::BAboutClick() {
    TAboutBox box(this);
    box.exec();
}

}  // namespace kestrova::ui
