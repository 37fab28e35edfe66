#pragma once

#include <vector>

#include <QWidget>

namespace kestrova::ui {

class Screen;

// Indexes of the eight screens, in the order they are registered.
enum ScreenIndex : int {
    kScreenOverView = 0,
    kScreenSelect = 1,
    kScreenView = 2,
    kScreenConvert = 3,
    kScreenPilot = 4,
    kScreenConnection = 5,
    kScreenDBVoli = 6,
    kScreenAbout = 7,
    kScreenCount = 8,
};

// The right pane of the main window. Every screen covers all of it; only the
// current one is visible.
class ScreenArea : public QWidget {
    Q_OBJECT
public:
    explicit ScreenArea(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The screens by index and the current one. Screens are created once, owned
// by the area, and only ever shown and hidden.
class ScreenRegistry {
public:
    explicit ScreenRegistry(ScreenArea* area);

    ScreenArea* Area() const { return area_; }

    // Adds the screen at the next index; with show set it becomes current.
    int Register(Screen* screen, bool show);

    // Hides the current screen and shows the one of the index; nothing
    // happens when that one is current already.
    void ShowScreen(int index);

    int Current() const { return current_; }  // -1 before the first is shown
    int Count() const { return static_cast<int>(screens_.size()); }
    Screen* At(int index) const;

private:
    ScreenArea* area_;
    std::vector<Screen*> screens_;
    int current_ = -1;
};

}  // namespace kestrova::ui
