#pragma once

#include <QLineEdit>

namespace kestrova::ui {

// A single-line edit that turns every letter into its upper-case form as it
// is typed, pasted or set. Letters whose upper case lies outside Latin-1 (such
// as "ÿ") stay as they are, so the text still converts to 8-bit.
class UpperCaseEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit UpperCaseEdit(QWidget* parent = nullptr);

private:
    void ToUpper(const QString& text);
};

}  // namespace kestrova::ui
