// skinart: draws the shipped skins from their sources and packs them.
//
//   skinart SOURCES OUTPUT WORK [PREVIEW]
//
// SOURCES holds one folder per skin with its "skin.json". For each skin the bitmaps (1x and
// @2x) and "skin.xml" are written to WORK/<skin folder>/ and packed into OUTPUT/<package>.
// With PREVIEW, every window is also composed in every program state, in Korean and English,
// into PREVIEW/<skin folder>/.

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
#include "SkinPreview.h"
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

bool buildSkin(const QString& sourcePath, const QString& output, const QString& work,
               const QString& preview) {
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
    QHash<QString, QImage> images;  // "<window>/1" etc., for the previews
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
            images.insert(window.name + "/back" + QString::number(scale), back);
            images.insert(window.name + "/cells" + QString::number(scale), cells);
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

    if (!preview.isEmpty()) {
        const QString previewFolder = preview + "/" + skin.folder;
        QDir().mkpath(previewFolder);
        const SkinPreview composer(painter, palette);
        for (int language : {1042, 1033}) {
            const QString tag = language == 1042 ? "ko" : "en";
            for (const ProgramState& state : programStates(language)) {
                for (const Window& window : skin.windows) {
                    for (int scale : {1, 2}) {
                        const QImage shot = composer.compose(
                            window, images.value(window.name + "/back" + QString::number(scale)),
                            images.value(window.name + "/cells" + QString::number(scale)),
                            sources[window.name], state, scale);
                        const QString name = QString("%1/%2-%3-%4%5.png")
                                                 .arg(previewFolder, window.name, state.name, tag,
                                                      scale == 2 ? "@2x" : "");
                        if (!save(shot, name)) {
                            return false;
                        }
                    }
                }
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: skinart SOURCES OUTPUT WORK [PREVIEW]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QString sources = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString work = QString::fromLocal8Bit(argv[3]);
    const QString preview = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    QDir().mkpath(output);
    bool ok = true;
    const QStringList skins =
        QDir(sources).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& skin : skins) {
        const QString path = sources + "/" + skin + "/skin.json";
        if (QFile::exists(path)) {
            ok = buildSkin(path, output, work, preview) && ok;
        }
    }
    return ok ? 0 : 1;
}
