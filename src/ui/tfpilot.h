#pragma once

#include "ui/screen.h"

class QPushButton;

namespace kestrova::ui {

class UpperCaseEdit;

// Pilot Informations: the pilot's name, ID and number in the settings file.
// Saving changes the file only; the running program keeps the values it read
// at start-up.
class TFPilot : public Screen {
    Q_OBJECT
public:
    TFPilot(const ScreenServices& services, QWidget* area);

    UpperCaseEdit* EPilot;
    UpperCaseEdit* EId;
    UpperCaseEdit* EPilotN;
    QPushButton* BSave;

public slots:
    void BSaveClick();

protected:
    void FormShow() override;

private:
    const SettingsFile& settings_;
};

}  // namespace kestrova::ui
