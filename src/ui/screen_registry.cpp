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

QString ScreenRegistry::KeyOf(const QMetaObject& meta) {
    const QString name = QString::fromLatin1(meta.className());
    const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
    return colons < 0 ? name : name.mid(colons + 2);
}

bool ScreenRegistry::Register(Screen* screen, bool show) {
    const QString key = KeyOf(*screen->metaObject());
    if (Find(key) != nullptr) return false;
    screen->setParent(area_);
    screen->setGeometry(area_->rect());
    screen->hide();
    screens_.push_back({key, screen});
    if (show) ShowScreen(key);
    return true;
}

void ScreenRegistry::ShowScreen(const QString& key) {
    Screen* screen = Find(key);
    if (screen == nullptr || screen == current_) return;
    if (current_ != nullptr) current_->hide();
    current_ = screen;
    screen->setGeometry(area_->rect());
    screen->raise();
    screen->show();
}

Screen* ScreenRegistry::Find(const QString& key) const {
    for (const Entry& entry : screens_)
        if (entry.key == key) return entry.screen;
    return nullptr;
}

QString ScreenRegistry::CurrentKey() const { return current_ ? KeyOf(*current_->metaObject()) : QString(); }

QStringList ScreenRegistry::Keys() const {
    QStringList keys;
    for (const Entry& entry : screens_) keys << entry.key;
    return keys;
}

}  // namespace kestrova::ui
