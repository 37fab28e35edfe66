#pragma once

#include <QToolBox>

namespace kestrova::ui {

// The main window's left pane: sections of large-icon items, each item
// naming the key of a screen.
class NavigationBar : public QToolBox {
    Q_OBJECT
public:
    explicit NavigationBar(QWidget* parent = nullptr);

    // Opens the section that holds the item of the screen, so that the item
    // of a screen shown by other means than a click is in sight.
    void Reveal(const QString& screenKey);

signals:
    void ItemClicked(const QString& screenKey);
};

}  // namespace kestrova::ui
