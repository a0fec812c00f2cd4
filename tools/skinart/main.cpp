// skinart: draws the shipped skins from their sources and packs them.
//
//   skinart SOURCES OUTPUT WORK
//
// SOURCES holds one folder per skin with its "skin.json". For each skin the bitmaps (1x and
// @2x) and "skin.xml" are written to WORK/<skin folder>/ and packed into OUTPUT/<package>.
// `make screenshots` shows what the skins look like in the program.

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <string>
#include <vector>

#include "SkinDescription.h"
#include "SkinPainter.h"
#include "SkinRenderer.h"
#include "SkinSource.h"
#include "skin/SkinArchive.h"

namespace {

using namespace skinart;

bool fail(const QString& message) {
    std::fprintf(stderr, "skinart: %s\n", qPrintable(message));
    return false;
}

bool save(const QImage& image, const QString& path) {
    return image.save(path, "PNG") || fail(path + ": cannot be written");
}

// The skin names its fonts by face; they must be installed and able to show Hangul.
bool checkFonts(const Skin& skin) {
    const QStringList korean = QFontDatabase::families(QFontDatabase::Korean);
    for (const FontDefinition& font : skin.fonts) {
        if (!korean.contains(font.face)) {
            return fail(font.face + " is not installed or has no Hangul (install fonts-nanum)");
        }
    }
    return true;
}

bool buildSkin(const QString& sourcePath, const QString& output, const QString& work) {
    Skin skin;
    QString error;
    if (!loadSkinSource(sourcePath, skin, error)) {
        return fail(error);
    }
    if (!checkFonts(skin)) {
        return false;
    }
    const SkinPalette palette = paletteNamed(skin.palette);
    const SkinPainter painter(skin, palette);
    SkinRenderer renderer(skin, painter);
    const QString folder = work + "/" + skin.folder;
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder)) {
        return fail(folder + ": cannot be created");
    }
    std::vector<std::string> files{(folder + "/skin.xml").toStdString()};
    CellSources sources;
    QHash<QString, QSize> sizes;
    for (const Window& window : skin.windows) {
        renderer.layOut(window);
        for (const Control& c : window.controls) {
            sources[window.name].insert(c.name, renderer.sourceRect(c.name));
        }
        sizes.insert(window.name, window.size);
        for (int scale : {1, 2}) {
            const QImage back = renderer.background(window, scale);
            const QImage cells = renderer.controls(window, scale);
            QString backName = backgroundFile(window);
            QString cellsName = controlsFile(window);
            if (scale == 2) {
                backName = doubleSizeFile(backName);
                cellsName = doubleSizeFile(cellsName);
            }
            if (!save(back, folder + "/" + backName) || !save(cells, folder + "/" + cellsName)) {
                return false;
            }
            files.push_back((folder + "/" + backName).toStdString());
            files.push_back((folder + "/" + cellsName).toStdString());
        }
    }
    QFile xml(folder + "/skin.xml");
    if (!xml.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return fail(xml.fileName() + ": cannot be written");
    }
    xml.write(describeSkin(skin, palette, sources, sizes).toUtf8());
    xml.close();

    const QString package = output + "/" + skin.package;
    ambrin::SkinArchive archive;
    const int code = archive.createArchive(package.toStdString(), files);
    if (code != 0) {
        return fail(package + ": packing failed with " + QString::number(code));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: skinart SOURCES OUTPUT WORK\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QString sources = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString work = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(output);
    bool ok = true;
    const QStringList skins =
        QDir(sources).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& skin : skins) {
        const QString path = sources + "/" + skin + "/skin.json";
        if (QFile::exists(path)) {
            ok = buildSkin(path, output, work) && ok;
        }
    }
    return ok ? 0 : 1;
}
