#pragma once

#include <QIcon>

namespace kestrova::ui {

enum class IconKind {
    Application,
    OverView,
    Pilot,
    About,
    OpenFlight,
    ReviewFlight,
    ConvertFlight,
    DBFlights,
    Connection,
};

// The program's icons are drawn, so no image files travel with it.
QIcon DrawnIcon(IconKind kind);

}  // namespace kestrova::ui
