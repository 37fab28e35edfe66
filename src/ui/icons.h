#pragma once

#include <QIcon>

class QPainter;

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

// The drawing itself, on a square of kIconDrawingSize points from the
// painter's origin; scale the painter for other sizes. The package's icon
// files are drawn by this too.
inline constexpr int kIconDrawingSize = 64;
void PaintIcon(QPainter& painter, IconKind kind);

}  // namespace kestrova::ui
