// ambrin_icons: the program's icon in the sizes of the hicolor theme, from its SVG.
//   ambrin_icons ICON.svg OUTPUT_FOLDER
// Writes OUTPUT_FOLDER/<n>x<n>/apps/ambrin.png for every size.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ambrin_icons ICON.svg OUTPUT_FOLDER\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "ambrin_icons: cannot read %s\n", argv[1]);
        return 1;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString folder =
            QString::fromLocal8Bit(argv[2]) + QString::asprintf("/%dx%d/apps", size, size);
        QDir().mkpath(folder);
        if (!image.save(folder + "/ambrin.png")) {
            std::fprintf(stderr, "ambrin_icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
