#include "ui/about_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "ui/icons.h"

namespace kestrova::ui {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(18, 18, 18, 12);
    grid->setHorizontalSpacing(16);

    auto* icon = new QLabel(this);
    icon->setPixmap(DrawnIcon(IconKind::Application).pixmap(64, 64));
    grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("Kestrova 2000"), this);
    name->setObjectName(QStringLiteral("ProductName"));
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    name->setFont(nameFont);
    grid->addWidget(name, 0, 1);

    auto* description = new QLabel(QStringLiteral("Report and Conversion Application for FlightSimulator FS98-FS2000"), this);
    description->setObjectName(QStringLiteral("Comments"));
    description->setWordWrap(true);
    grid->addWidget(description, 1, 1);

    auto* version = new QLabel(QStringLiteral("3.0 (1.0)"), this);
    version->setObjectName(QStringLiteral("Version"));
    grid->addWidget(version, 2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, 3, 0, 1, 2);
    setFixedSize(sizeHint());
}

}  // namespace kestrova::ui
