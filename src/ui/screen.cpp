#include "ui/screen.h"

#include <QHideEvent>
#include <QLabel>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrova::ui {

QToolButton* IconButton(QWidget* parent, const QString& name, const QString& hint, QStyle::StandardPixmap icon,
                        QSize iconSize) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    if (iconSize.isValid()) button->setIconSize(iconSize);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    return button;
}

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
