#pragma once

#include <QToolBox>

namespace kestrova::ui {

// The main window's left pane: sections of large-icon items, each item
// naming a screen index.
class NavigationBar : public QToolBox {
    Q_OBJECT
public:
    explicit NavigationBar(QWidget* parent = nullptr);

signals:
    void ItemClicked(int screenIndex);
};

}  // namespace kestrova::ui
