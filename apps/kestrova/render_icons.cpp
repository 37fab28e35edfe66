// render-icons: draws the application icon into files for the desktop's icon
// theme at build time, from the very code that draws it in the program.
//   render-icons OUTDIR NAME   writes OUTDIR/<size>x<size>/apps/NAME.png for
//   16 to 256 px and OUTDIR/scalable/apps/NAME.svg
#include <cstdio>
#include <filesystem>
#include <string>

#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "ui/icons.h"

namespace {

using kestrova::ui::IconKind;

bool WritePng(const std::string& path, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(kestrova::ui::kIconDrawingSize), size / double(kestrova::ui::kIconDrawingSize));
    kestrova::ui::PaintIcon(painter, IconKind::Application);
    painter.end();
    return image.save(QString::fromStdString(path), "PNG");
}

bool WriteSvg(const std::string& path) {
    QSvgGenerator svg;
    svg.setFileName(QString::fromStdString(path));
    svg.setSize(QSize(kestrova::ui::kIconDrawingSize, kestrova::ui::kIconDrawingSize));
    svg.setViewBox(QRect(0, 0, kestrova::ui::kIconDrawingSize, kestrova::ui::kIconDrawingSize));
    svg.setTitle(QStringLiteral("Kestrova 2000"));
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    painter.setRenderHint(QPainter::Antialiasing);
    kestrova::ui::PaintIcon(painter, IconKind::Application);
    return painter.end();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: render-icons OUTDIR NAME\n", stderr);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::string name = argv[2];
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        std::filesystem::create_directories(out / folder / "apps");
        if (!WritePng((out / folder / "apps" / (name + ".png")).string(), size)) {
            std::fprintf(stderr, "render-icons: cannot write the %d px icon\n", size);
            return 1;
        }
    }
    std::filesystem::create_directories(out / "scalable" / "apps");
    if (!WriteSvg((out / "scalable" / "apps" / (name + ".svg")).string())) {
        std::fputs("render-icons: cannot write the scalable icon\n", stderr);
        return 1;
    }
    return 0;
}
