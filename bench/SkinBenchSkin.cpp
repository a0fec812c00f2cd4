#include "SkinBenchSkin.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "skin/SkinArchive.h"

namespace ambrin::bench {

namespace {

void saveBoth(const QImage& image, const std::string& folder, const std::string& name,
              const std::string& extension) {
    image.save(QString::fromStdString(folder + "/" + name + extension));
    image.scaled(image.size() * 2)
        .save(QString::fromStdString(folder + "/" + name + "@2x" + extension));
}

}  // namespace

std::string benchSkinPackage(const std::string& folder) {
    if (const char* shipped = std::getenv("AMBRIN_BENCH_SKIN")) {
        return shipped;
    }
    const std::string files = folder + "/files";
    std::filesystem::create_directories(files);
    QImage bg(360, 150, QImage::Format_RGB32);
    bg.fill(QColor(255, 0, 255));
    {
        QPainter painter(&bg);
        QPainterPath outline;
        outline.addRoundedRect(QRectF(0, 0, 360, 150), 18, 18);
        QLinearGradient fill(0, 0, 0, 150);
        fill.setColorAt(0, QColor(52, 58, 70));
        fill.setColorAt(1, QColor(28, 31, 38));
        painter.fillPath(outline, fill);
    }
    saveBoth(bg, files, "bg", ".bmp");
    QImage controls(160, 200, QImage::Format_RGB32);
    controls.fill(QColor(255, 0, 255));
    {
        QPainter painter(&controls);
        for (int cell = 0; cell < 4; ++cell) {
            painter.setBrush(QColor(60 + 40 * cell, 70, 90));
            painter.drawEllipse(QRect(cell * 32 + 2, 2, 28, 28));
        }
        for (int row = 0; row < 10; ++row) {
            for (int look = 0; look < 3; ++look) {
                painter.fillRect(QRect(look * 12, 40 + row * 12, 11, 11),
                                 QColor(200, 60 + 15 * row, 50 * look));
            }
        }
    }
    saveBoth(controls, files, "ctl", ".png");

    std::string xml =
        "<?xml version=\"1.0\"?>\n<OSKININFO ONAME=\"Bench\" ODATE=\"2026.12.08\"/>\n"
        "<OBITMAPRES ONAME=\"bg\" OFILE=\"bg.bmp\" OTCOLOR=\"#FF00FF\"/>\n"
        "<OBITMAPRES ONAME=\"ctl\" OFILE=\"ctl.png\" OTCOLOR=\"#FF00FF\"/>\n"
        "<OFONTRES ONAME=\"f\" OFACE=\"DejaVu Sans\"/>\n"
        "<OWINDOW ONAME=\"MainWindow\"><OBKBITMAP OBITMAPRES=\"bg\"/>\n";
    const char* buttons[] = {"Record", "Play",    "Pause",      "Stop", "Tray", "Minimize",
                             "Quit",   "Options", "RecordList", "Help", "Logo", "Mute"};
    int index = 0;
    for (const char* name : buttons) {
        char element[256];
        std::snprintf(element, sizeof element,
                      "<OBUTTONC ONAME=\"%s\" OSRCRECT=\"0,0,127,31\" OBITMAPRES=\"ctl\" "
                      "ODESTPOS=\"%d,%d\" OTOOLTIP=\"%s\"/>\n",
                      name, 12 + (index % 6) * 34, 100 + (index / 6) * 0, name);
        if (index >= 6) {
            std::snprintf(element, sizeof element,
                          "<OBUTTONC ONAME=\"%s\" OSRCRECT=\"0,0,127,31\" OBITMAPRES=\"ctl\" "
                          "ODESTPOS=\"%d,%d\"/>\n",
                          name, 220 + (index - 6) * 22, 8);
        }
        xml += element;
        ++index;
    }
    xml +=
        "<OMULTISTATEC ONAME=\"RecordMode\" ONUMSTATES=\"1\" OSRCRECT=\"0,0,127,31\" "
        "OBITMAPRES=\"ctl\" ODESTPOS=\"220,100\"/>\n"
        "<OMULTISTATEC ONAME=\"RecordFormat\" ONUMSTATES=\"1\" OSRCRECT=\"0,0,127,31\" "
        "OBITMAPRES=\"ctl\" ODESTPOS=\"254,100\"/>\n"
        "<OSLIDERC ONAME=\"Seek\" OSRCRECT=\"0,40,35,159\" OBITMAPRES=\"ctl\" OTHUMBSTATES=\"10\" "
        "ODESTRECT=\"12,80,300,92\"/>\n"
        "<OSLIDERC ONAME=\"Volume\" OSRCRECT=\"0,40,35,159\" OBITMAPRES=\"ctl\" "
        "ODESTRECT=\"290,100,350,112\"/>\n"
        "<OSLIDERC ONAME=\"RecordVolume\" OSRCRECT=\"0,40,35,159\" OBITMAPRES=\"ctl\" "
        "ODESTRECT=\"290,120,350,132\"/>\n"
        "<OTEXTC ONAME=\"Time\" OFONTRES=\"f\" ODESTRECT=\"12,36,200,66\" OCOLOR=\"#E8F0FF\" "
        "OBOLD=\"yes\"/>\n"
        "<OTEXTC ONAME=\"Info\" OFONTRES=\"f\" ODESTRECT=\"12,8,200,26\" OCOLOR=\"#A0B0C0\"/>\n"
        "<OLEVELMETERC ONAME=\"LevelMeter\" ODESTRECT=\"210,36,350,70\" OCOLOR=\"#40E080\"/>\n"
        "</OWINDOW>\n";
    std::FILE* out = std::fopen((files + "/skin.xml").c_str(), "w");
    std::fputs(xml.c_str(), out);
    std::fclose(out);
    std::vector<std::string> members;
    for (const auto& entry : std::filesystem::directory_iterator(files)) {
        members.push_back(entry.path().string());
    }
    SkinArchive archive;
    const std::string package = folder + "/Bench.VSK";
    archive.createArchive(package, members);
    std::filesystem::remove_all(files);
    return package;
}

}  // namespace ambrin::bench
