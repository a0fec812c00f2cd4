#include "TestSkin.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "skin/SkinArchive.h"
#include "support/TestEnvironment.h"

// Libraries under Qt keep some allocations for the life of the process (fontconfig's
// caches, D-Bus's connection state); the leak checker of the sanitizer build need not report
// them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libdbus-1\n";
}

namespace ambrin::test {

namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;

void fillCells(QImage& image, int group, int left, int top, int columns, int rows, int width,
               int height) {
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QRect cell(left + column * width, top + row * height, width, height);
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    image.setPixel(x, y, cellColour(group, column, row));
                }
            }
            image.setPixel(cell.center().x() + 1, cell.center().y() + 1, kMagenta);
        }
    }
}

}  // namespace

void ensureGuiApplication() {
    if (QGuiApplication::instance() != nullptr) {
        return;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static int argc = 1;
    static char name[] = "skin_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own statics are gone by the time static destructors run.
    new QGuiApplication(argc, argv);
}

QRgb cellColour(int group, int column, int row) {
    return qRgb(20 + 50 * column, 10 + 20 * row, 10 + 45 * group);
}

QColor TestSkin::backgroundAt(int x, int y) {
    return QColor(x * 2, y * 3, 90);
}

TestSkin::TestSkin(std::string folder) : m_folder(std::move(folder)) {
    std::filesystem::create_directories(m_folder);
    QImage bg(240, 80, QImage::Format_RGB32);
    for (int y = 0; y < bg.height(); ++y) {
        for (int x = 0; x < bg.width(); ++x) {
            const bool corner = x + y < 6 || y == bg.height() - 1;
            bg.setPixel(x, y, corner ? kMagenta : backgroundAt(x, y).rgb());
        }
    }
    bg.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(m_folder + "/bg.bmp"));

    QImage controls(200, 200, QImage::Format_RGB32);
    controls.fill(Qt::white);
    fillCells(controls, 0, 0, 0, 4, 1, 20, 10);
    fillCells(controls, 1, 0, 20, 1, 4, 20, 10);
    fillCells(controls, 2, 100, 0, 4, 3, 20, 10);
    fillCells(controls, 3, 0, 100, 3, 10, 10, 10);
    fillCells(controls, 4, 40, 100, 10, 3, 10, 10);
    controls.save(QString::fromStdString(m_folder + "/ctl.png"));

    QImage panel(40, 30, QImage::Format_RGB32);
    panel.fill(QColor(0x30, 0x50, 0x70));
    panel.save(QString::fromStdString(m_folder + "/panel.bmp"));
}

void TestSkin::write(const std::string& body) const {
    writeFile(m_folder + "/skin.xml",
              "<?xml version=\"1.0\"?>\n"
              "<OBITMAPRES ONAME=\"bg\" OFILE=\"bg.bmp\" OTCOLOR=\"#FF00FF\"/>\n"
              "<OBITMAPRES ONAME=\"ctl\" OFILE=\"ctl.png\" OTCOLOR=\"#FF00FF\"/>\n"
              "<OBITMAPRES ONAME=\"panel\" OFILE=\"panel.bmp\"/>\n"
              "<OFONTRES ONAME=\"sans\" OFACE=\"DejaVu Sans\"/>\n" +
                  body);
}

std::string TestSkin::pack(const std::string& packagePath) const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
        files.push_back(entry.path().string());
    }
    SkinArchive archive;
    EXPECT_EQ(archive.createArchive(packagePath, files), 0);
    return packagePath;
}

bool matchesGolden(const QImage& image, const std::string& name) {
    const QString golden =
        QStringLiteral(AMBRIN_SKIN_GOLDEN_DIR "/") + QString::fromStdString(name);
    const QImage actual = image.convertToFormat(QImage::Format_RGB32);
    if (std::getenv("AMBRIN_UPDATE_GOLDEN") != nullptr) {
        actual.save(golden + ".png");
        return true;
    }
    QImage expected(golden + ".png");
    if (!expected.isNull() && expected.convertToFormat(QImage::Format_RGB32) == actual) {
        QFile::remove(golden + ".actual.png");
        return true;
    }
    actual.save(golden + ".actual.png");
    return false;
}

}  // namespace ambrin::test
