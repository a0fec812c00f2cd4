// ambrin_screenshots: pictures of the shipped skins as the program shows them.
//
//   ambrin_screenshots PROGRAM_FOLDER OUTPUT_FOLDER
//
// Loads "Ambrin_Large.VSK" and "ambrin.vsk" from the program folder with the skin document,
// sets every control the way the main window does in each program state (waiting,
// recording, playing, paused), with the status texts of the Korean and the English string
// table, and writes each window, cut to its shape, as a PNG. The same input gives the same
// pictures, so they are regenerated whenever the skins change.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/StringTable.h"
#include "skin/SkinControl.h"
#include "skin/SkinDocument.h"
#include "skin/SkinView.h"

namespace {

using namespace ambrin;

constexpr int kWaiting = 17;
constexpr int kRecording = 15;
constexpr int kAutomatic = 25;

// One block of the input as the capture delivers it: a voice on the line, or its hiss.
std::vector<std::int16_t> lineBlock(bool voice) {
    std::vector<std::int16_t> samples(2048);
    std::uint32_t noise = 12345;
    for (size_t i = 0; i < samples.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        double v = (double((noise >> 16) & 0x7fff) / 32767.0 - 0.5) * 900;
        if (voice) {
            const double t = double(i) / 8000.0;
            const double envelope =
                0.35 + 0.65 * std::pow(std::sin(M_PI * double(i) / 2048.0 * 3), 2);
            v += envelope *
                 (9000 * std::sin(2 * M_PI * 180 * t) + 5000 * std::sin(2 * M_PI * 410 * t + 1) +
                  2500 * std::sin(2 * M_PI * 1150 * t));
        }
        samples[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
    }
    return samples;
}

std::string text(int language, int id) {
    return std::string(StringTable::forLanguage(language).text(id));
}

// Sets the controls as the main window does on entering `state`.
void showState(SkinDocument& skin, const std::string& state, int language) {
    using namespace control_state;
    const std::string waiting = text(language, kWaiting) + "[" + text(language, kAutomatic) + "]";
    const std::string file = "20261208_101502.ogg";
    skin.setValue("RecordMode", 0);
    skin.setValue("RecordFormat", 1);
    skin.setValue("Volume", 70);
    skin.setValue("RecordVolume", 55);
    skin.setValue("Mute", 0);
    skin.setValue("Pause", 0);
    skin.setState("WindowStatus", 8);
    for (const char* name : {"Record", "Play", "Pause", "Stop", "Seek"}) {
        skin.setState(name, kNormal);
    }
    const std::vector<std::int16_t> quiet = lineBlock(false);
    const std::vector<std::int16_t> voice = lineBlock(true);
    if (state == "waiting") {
        for (const char* name : {"Play", "Pause", "Stop", "Seek"}) {
            skin.setState(name, kDisabled);
        }
        skin.setValue("Seek", 0);
        skin.setText("Time", "00:00");
        skin.setText("Info", waiting);
        skin.setLevelData("LevelMeter", quiet.data(), quiet.size());
    } else if (state == "recording") {
        for (const char* name : {"Record", "Play", "Pause", "Seek"}) {
            skin.setState(name, kDisabled);
        }
        skin.setValue("Seek", 0);
        skin.setText("Time", "03:27");
        skin.setText("Info", text(language, kRecording));
        skin.setLevelData("LevelMeter", voice.data(), voice.size());
    } else {
        for (const char* name : {"Record", "Play"}) {
            skin.setState(name, kDisabled);
        }
        skin.setValue("Seek", 38);
        skin.setText("Time", "01:12");
        skin.setText("Info", file);
        skin.setValue("Pause", state == "paused" ? 1 : 0);
        skin.setLevelData("LevelMeter", state == "paused" ? quiet.data() : voice.data(),
                          quiet.size());
    }
}

// The window's buffer cut to its shape, on a transparent background.
QImage shaped(SkinView& view) {
    const QImage& buffer = view.buffer();
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setClipRegion(view.region());
    painter.drawImage(QRect(QPoint(0, 0), view.size()), buffer);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ambrin_screenshots PROGRAM_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const std::string programFolder = argv[1];
    const QString output = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(output);
    int failures = 0;
    const std::vector<std::pair<std::string, std::string>> skins{{"Ambrin_Large.VSK", "large"},
                                                                 {"ambrin.vsk", "compact"}};
    for (const auto& [package, tag] : skins) {
        for (const auto& [language, languageTag] :
             {std::pair{kLangKorean, "ko"}, std::pair{kLangEnglish, "en"}}) {
            for (const char* state : {"waiting", "recording", "playing", "paused"}) {
                SkinDocument skin;
                const int code = skin.loadPackage(programFolder + "/" + package);
                if (code != 0) {
                    std::fprintf(stderr, "%s: load failed with %d (%s)\n", package.c_str(), code,
                                 skin.failure().c_str());
                    return 1;
                }
                showState(skin, state, language);
                for (const auto& view : skin.windows()) {
                    const QString name =
                        QString("%1/%2-%3-%4-%5.png")
                            .arg(output, QString::fromStdString(tag),
                                 QString::fromStdString(view->name()), state, languageTag);
                    if (!shaped(*view).save(name, "PNG")) {
                        std::fprintf(stderr, "%s: cannot be written\n", qPrintable(name));
                        ++failures;
                    }
                }
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
