#include "ui/screen.h"

#include <QHideEvent>
#include <QLabel>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kestrova::ui {

Screen::Screen(const QString& caption, QWidget* area) : QWidget(area, Qt::Widget) {
    setWindowTitle(caption);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    hide();
}

void Screen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Spontaneous events come from the window system (restore after minimise).
    if (event->spontaneous()) return;
    FormShow();
    emit Shown();
}

void Screen::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;
    FormHide();
    emit Hidden();
}

void Screen::ShowPlaceholder(const QString& caption) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(caption, this);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet("color: #8090a0; font-size: 16pt;");
    layout->addWidget(label);
}

}  // namespace kestrova::ui
