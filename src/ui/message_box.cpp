#include "ui/message_box.h"

#include <QMessageBox>

#include "core/messages.h"
#include "ui/latin1.h"

namespace kestrova::ui {

namespace {

void Show(QWidget* parent, QMessageBox::Icon icon, std::string_view caption, std::string_view text) {
    QMessageBox box(icon, ToQString(caption), ToQString(text), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

void ShowErrorMessage(QWidget* parent, std::string_view text) {
    Show(parent, QMessageBox::Critical, msg::kCaptionError, text);
}

void ShowWarningMessage(QWidget* parent, std::string_view text) {
    Show(parent, QMessageBox::Warning, msg::kCaptionWarning, text);
}

}  // namespace kestrova::ui
