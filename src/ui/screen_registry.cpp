#include "ui/screen_registry.h"

#include <QResizeEvent>

#include "ui/screen.h"

namespace kestrova::ui {

ScreenArea::ScreenArea(QWidget* parent) : QWidget(parent) {}

void ScreenArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QObject* child : children())
        if (auto* screen = qobject_cast<Screen*>(child)) screen->setGeometry(rect());
}

ScreenRegistry::ScreenRegistry(ScreenArea* area) : area_(area) {}

int ScreenRegistry::Register(Screen* screen, bool show) {
    screen->setParent(area_);
    screen->setGeometry(area_->rect());
    screen->hide();
    screens_.push_back(screen);
    const int index = Count() - 1;
    if (show) ShowScreen(index);
    return index;
}

void ScreenRegistry::ShowScreen(int index) {
    if (index == current_ || index < 0 || index >= Count()) return;
    if (current_ >= 0) screens_[static_cast<size_t>(current_)]->hide();
    current_ = index;
    Screen* screen = screens_[static_cast<size_t>(index)];
    screen->setGeometry(area_->rect());
    screen->raise();
    screen->show();
}

Screen* ScreenRegistry::At(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return screens_[static_cast<size_t>(index)];
}

}  // namespace kestrova::ui
