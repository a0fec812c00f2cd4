// launcherart: draws the launcher's pictures and its shape image at build time.
//
//   launcherart STRINGS VERSION OUTPUT
//
// STRINGS is the launcher's English string table, whose button table places the buttons.
// Writes OUTPUT/en/ and OUTPUT/ko/ with "BACKGROUND.png", "FOCUS.png" and "SELECT.png" (and
// their "@2x" pictures at twice the size for dense screens), and
// OUTPUT/REGION.pcx, the one-bit shape of the window (1 = cut out).

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

#include "LauncherArt.h"
#include "launcher/LauncherButton.h"
#include "platform/StringTable.h"

namespace {

using namespace launcherart;

bool fail(const QString& message) {
    std::fprintf(stderr, "launcherart: %s\n", qPrintable(message));
    return false;
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        return fail(path + ": cannot be written");
    }
    return true;
}

// Pixels outside the window's outline get colour index 1.
QImage shapeBits() {
    QImage bits(LauncherArt::kWidth, LauncherArt::kHeight, QImage::Format_Mono);
    bits.setColor(0, QColor(Qt::black).rgb());
    bits.setColor(1, QColor(Qt::white).rgb());
    bits.fill(1);
    QPainter p(&bits);
    // No smoothing: a pixel is either in or out.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(Qt::black));
    p.drawPath(LauncherArt::shape());
    return bits;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: launcherart STRINGS VERSION OUTPUT\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QFile strings(QString::fromLocal8Bit(argv[1]));
    if (!strings.open(QIODevice::ReadOnly)) {
        return fail(strings.fileName() + ": cannot be read") ? 0 : 1;
    }
    const QByteArray source = strings.readAll();
    const ambrin::StringTable table = ambrin::StringTable::parse(
        std::string_view(source.constData(), std::size_t(source.size())));
    const auto buttons =
        ambrin::launcher::readButtonTable([&table](int id) { return std::string(table.text(id)); });
    if (buttons.empty()) {
        return fail("the string table has no buttons") ? 0 : 1;
    }
    if (!QFontDatabase::families(QFontDatabase::Korean).contains("NanumSquareRound")) {
        return fail("NanumSquareRound is not installed (install fonts-nanum)") ? 0 : 1;
    }
    const QString version = QString::fromLocal8Bit(argv[2]);
    const QString output = QString::fromLocal8Bit(argv[3]);
    bool ok = true;
    for (const bool korean : {false, true}) {
        const QString folder = output + (korean ? "/ko" : "/en");
        QDir().mkpath(folder);
        const LauncherArt art(buttons, korean, version);
        for (const int scale : {1, 2}) {
            const QString suffix = scale == 2 ? "@2x.png" : ".png";
            ok = art.picture(Look::Normal, scale).save(folder + "/BACKGROUND" + suffix) && ok;
            ok = art.picture(Look::Hover, scale).save(folder + "/FOCUS" + suffix) && ok;
            ok = art.picture(Look::Pressed, scale).save(folder + "/SELECT" + suffix) && ok;
        }
    }
    ok = write(output + "/REGION.pcx", encodePcx(shapeBits())) && ok;
    return ok ? 0 : 1;
}
