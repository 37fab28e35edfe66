#include "ui/tfpilot.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "core/error.h"
#include "settings/settings_file.h"
#include "ui/icons.h"
#include "ui/latin1.h"
#include "ui/message_box.h"
#include "ui/upper_case_edit.h"

namespace kestrova::ui {

namespace {

constexpr const char* kSection = "General";

UpperCaseEdit* AddField(QGridLayout* grid, int row, const QString& label, const QString& name, QWidget* parent) {
    auto* caption = new QLabel(label, parent);
    auto* edit = new UpperCaseEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(260);
    caption->setBuddy(edit);
    grid->addWidget(caption, row * 2, 0);
    grid->addWidget(edit, row * 2 + 1, 0);
    return edit;
}

}  // namespace

TFPilot::TFPilot(const ScreenServices& services, QWidget* area)
    : Screen(QStringLiteral("Pilot Informations"), area), settings_(services.settings) {
    auto* outer = new QGridLayout(this);
    outer->setContentsMargins(24, 20, 24, 20);

    auto* heading = new QLabel(this);
    heading->setPixmap(DrawnIcon(IconKind::Pilot).pixmap(48, 48));
    auto* title = new QLabel(windowTitle(), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    outer->addWidget(heading, 0, 0);
    outer->addWidget(title, 0, 1);

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(4);
    EPilot = AddField(fields, 0, QStringLiteral("Pilot Name "), QStringLiteral("EPilot"), this);
    EId = AddField(fields, 1, QStringLiteral("Pilot Id"), QStringLiteral("EId"), this);
    EPilotN = AddField(fields, 2, QStringLiteral("Pilot #"), QStringLiteral("EPilotN"), this);
    outer->addLayout(fields, 1, 1);

    BSave = new QPushButton(QStringLiteral("Save"), this);
    BSave->setObjectName(QStringLiteral("BSave"));
    outer->addWidget(BSave, 2, 1, Qt::AlignLeft);
    outer->setRowStretch(3, 1);
    outer->setColumnStretch(2, 1);
    connect(BSave, &QPushButton::clicked, this, &TFPilot::BSaveClick);
}

void TFPilot::FormShow() {
    EPilot->setText(ToQString(settings_.ReadSetting(kSection, "Pilot", "None")));
    EId->setText(ToQString(settings_.ReadSetting(kSection, "PilotID", "None")));
    EPilotN->setText(ToQString(settings_.ReadSetting(kSection, "PilotNum", "None")));
}

void TFPilot::BSaveClick() {
    try {
        settings_.WriteSetting(kSection, "Pilot", ToBytes(EPilot->text()));
        settings_.WriteSetting(kSection, "PilotID", ToBytes(EId->text()));
        settings_.WriteSetting(kSection, "PilotNum", ToBytes(EPilotN->text()));
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
    }
}

}  // namespace kestrova::ui
