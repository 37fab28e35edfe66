#include "ui/navigation_bar.h"

#include <QToolButton>
#include <QVBoxLayout>

#include "ui/icons.h"

namespace kestrova::ui {

namespace {

struct Item {
    const char* section;
    const char* text;
    IconKind icon;
    const char* screen;  // the key of the screen it shows
};

constexpr Item kItems[] = {
    {"Kestrova 2000", "OverView", IconKind::OverView, "TFOverView"},
    {"Kestrova 2000", "Pilot Information", IconKind::Pilot, "TFPilot"},
    {"Kestrova 2000", "About", IconKind::About, "TFAbout"},
    {"Manage Flights", "Open Flight", IconKind::OpenFlight, "TFSelect"},
    {"Manage Flights", "Review Flight", IconKind::ReviewFlight, "TFView"},
    {"Manage Flights", "Convert Flight", IconKind::ConvertFlight, "TFConvert"},
    {"Manage Flights", "DB Flights", IconKind::DBFlights, "TFDBVoli"},
    {"Connection with FS", "Connection to FS", IconKind::Connection, "TFConnection"},
};

constexpr const char* kPageStyle =
    "QWidget#NavigationPage { background: #4a5a6e; }"
    "QToolButton { color: white; border: 1px solid transparent; border-radius: 5px; padding: 4px; }"
    "QToolButton:hover { background: rgba(255, 255, 255, 40); border-color: rgba(255, 255, 255, 70); }"
    "QToolButton:pressed { background: rgba(0, 0, 0, 50); }";

constexpr const char* kBarStyle =
    "QToolBox { background: #4a5a6e; }"
    "QToolBox::tab { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e8edf3, stop:1 #b8c4d2);"
    " color: #1c2a3a; border: 1px solid #7d8a99; border-radius: 2px; padding-left: 3px; }"
    "QToolBox::tab:selected { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d0dae6); }";

}  // namespace

NavigationBar::NavigationBar(QWidget* parent) : QToolBox(parent) {
    setStyleSheet(kBarStyle);
    // The section headers take a smaller face so "Connection with FS" stays
    // whole in the narrow bar; the items keep the normal one.
    const QFont itemFont = font();
    QFont headerFont = itemFont;
    headerFont.setPointSizeF(itemFont.pointSizeF() * 0.85);
    setFont(headerFont);
    QWidget* page = nullptr;
    QVBoxLayout* layout = nullptr;
    QString section;
    for (const Item& item : kItems) {
        if (page == nullptr || section != QLatin1String(item.section)) {
            if (layout != nullptr) layout->addStretch(1);
            section = QLatin1String(item.section);
            page = new QWidget;
            page->setObjectName("NavigationPage");
            page->setStyleSheet(kPageStyle);
            layout = new QVBoxLayout(page);
            layout->setContentsMargins(6, 10, 6, 6);
            layout->setSpacing(8);
            addItem(page, section);
        }
        auto* button = new QToolButton(page);
        button->setFont(itemFont);
        button->setText(QLatin1String(item.text));
        button->setIcon(DrawnIcon(item.icon));
        button->setIconSize(QSize(40, 40));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setFocusPolicy(Qt::NoFocus);
        button->setProperty("screenKey", QLatin1String(item.screen));
        const QString screen = QLatin1String(item.screen);
        connect(button, &QToolButton::clicked, this, [this, screen] { emit ItemClicked(screen); });
        layout->addWidget(button);
    }
    if (layout != nullptr) layout->addStretch(1);
    setCurrentIndex(0);
}

void NavigationBar::Reveal(const QString& screenKey) {
    for (int section = 0; section < count(); ++section)
        for (const QToolButton* button : widget(section)->findChildren<QToolButton*>())
            if (button->property("screenKey").toString() == screenKey) {
                setCurrentIndex(section);
                return;
            }
}

}  // namespace kestrova::ui
