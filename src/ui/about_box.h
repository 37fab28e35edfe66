#pragma once

#include <QDialog>

namespace kestrova::ui {

// The modal about box: the program's name, description and version.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace kestrova::ui
