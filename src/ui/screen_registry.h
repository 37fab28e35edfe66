#pragma once

#include <vector>

#include <QString>
#include <QStringList>
#include <QWidget>

namespace kestrova::ui {

class Screen;

// The right pane of the main window. Every screen covers all of it; only the
// current one is visible.
class ScreenArea : public QWidget {
    Q_OBJECT
public:
    explicit ScreenArea(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The screens and the current one. A screen is found by its key, the name of
// its window class ("TFDBVoli"), so callers never depend on the order in which
// the screens were registered. Screens are created once, owned by the area,
// and only ever shown and hidden.
class ScreenRegistry {
public:
    explicit ScreenRegistry(ScreenArea* area);

    ScreenArea* Area() const { return area_; }

    // The key of a screen class: its class name without the namespace.
    static QString KeyOf(const QMetaObject& meta);
    template <class T>
    static QString KeyOf() {
        return KeyOf(T::staticMetaObject);
    }

    // Adds the screen under its class's key; with show set it becomes current.
    // A second screen of the same class is refused (false).
    bool Register(Screen* screen, bool show);

    // Hides the current screen and shows the one of the key; nothing happens
    // when that one is current already or no screen has the key.
    void ShowScreen(const QString& key);

    Screen* Find(const QString& key) const;
    template <class T>
    T* Find() const {
        return static_cast<T*>(Find(KeyOf<T>()));
    }

    QString CurrentKey() const;  // empty before the first is shown
    Screen* Current() const { return current_; }
    QStringList Keys() const;  // in the order of registration
    int Count() const { return static_cast<int>(screens_.size()); }

private:
    struct Entry {
        QString key;
        Screen* screen;
    };

    ScreenArea* area_;
    std::vector<Entry> screens_;
    Screen* current_ = nullptr;
};

}  // namespace kestrova::ui
