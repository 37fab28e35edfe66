#pragma once

#include <string_view>

class QWidget;

namespace kestrova::ui {

// A modal box with the caption "Error", an error sign and one OK button.
void ShowErrorMessage(QWidget* parent, std::string_view text);

// A modal box with the caption "Warning", a warning sign and one OK button.
void ShowWarningMessage(QWidget* parent, std::string_view text);

}  // namespace kestrova::ui
