#include "ui/upper_case_edit.h"

namespace kestrova::ui {

UpperCaseEdit::UpperCaseEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, &UpperCaseEdit::ToUpper);
}

void UpperCaseEdit::ToUpper(const QString& text) {
    QString upper = text;
    for (QChar& ch : upper) {
        const QChar u = ch.toUpper();
        if (u.unicode() <= 0xFF) ch = u;
    }
    if (upper == text) return;
    const int cursor = cursorPosition();
    const bool modified = isModified();
    setText(upper);  // re-enters with the upper-case text and stops there
    setCursorPosition(cursor);
    setModified(modified);
}

}  // namespace kestrova::ui
