#include "SkinPreview.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QtMath>

#include "SkinRenderer.h"

namespace skinart {

namespace {

QImage withTransparency(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (line[x] == kTransparent) {
                line[x] = 0;
            }
        }
    }
    return out;
}

// 2048 samples of an input block: a voice-like signal, or the hiss of an idle line.
QVector<qint16> samples(bool speech) {
    QVector<qint16> s(2048);
    quint32 noise = 12345;
    for (int i = 0; i < s.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        const double hiss = (double((noise >> 16) & 0x7fff) / 32767.0 - 0.5) * 900;
        double v = hiss;
        if (speech) {
            const double t = i / 8000.0;
            const double envelope = 0.35 + 0.65 * std::pow(std::sin(M_PI * i / s.size() * 3), 2);
            v += envelope *
                 (9000 * std::sin(2 * M_PI * 180 * t) + 5000 * std::sin(2 * M_PI * 410 * t + 1) +
                  2500 * std::sin(2 * M_PI * 1150 * t));
        }
        s[i] = qint16(qBound(-32767.0, v, 32767.0));
    }
    return s;
}

}  // namespace

QVector<ProgramState> programStates(int language) {
    const bool korean = language == 1042;
    const QString waiting = korean ? "대기 중...[자동]" : "Waiting...[Automatic]";
    const QString recording = korean ? "녹음 중..." : "Recording...";
    const QString file = "20261208_101502.ogg";
    QVector<ProgramState> states;
    ProgramState base;
    base.values = {{"RecordMode", 0}, {"RecordFormat", 1},  {"Mute", 0}, {"Pause", 0},
                   {"Volume", 70},    {"RecordVolume", 55}, {"Seek", 0}};

    ProgramState s = base;
    s.name = "waiting";
    s.disabled = {"Play", "Pause", "Stop", "Seek"};
    s.time = "00:00";
    s.info = waiting;
    s.hovered = "Record";
    states << s;

    s = base;
    s.name = "recording";
    s.disabled = {"Record", "Play", "Pause", "Seek"};
    s.time = "03:27";
    s.info = recording;
    s.speech = true;
    s.hovered = "Stop";
    states << s;

    s = base;
    s.name = "playing";
    s.disabled = {"Record", "Play"};
    s.values["Seek"] = 38;
    s.time = "01:12";
    s.info = file;
    s.speech = true;
    states << s;

    s = base;
    s.name = "paused";
    s.disabled = {"Record", "Play"};
    s.values["Seek"] = 38;
    s.values["Pause"] = 1;
    s.values["Mute"] = 1;
    s.time = "01:12";
    s.info = file;
    s.hovered = "Pause";
    states << s;
    return states;
}

SkinPreview::SkinPreview(const SkinPainter& painter, const SkinPalette& palette)
    : m_painter(painter), m_palette(palette) {}

QImage SkinPreview::compose(const Window& window, const QImage& background, const QImage& controls,
                            const QHash<QString, QRect>& sources, const ProgramState& state,
                            int scale) const {
    const int margin = 12;
    QImage image((window.size + QSize(2 * margin, 2 * margin)) * scale, QImage::Format_ARGB32);
    image.fill(QColor("#c9d0d8"));
    const QImage cells = withTransparency(controls);
    QPainter p(&image);
    p.translate(margin * scale, margin * scale);
    p.drawImage(0, 0, withTransparency(background));
    const bool inside = !state.hovered.isEmpty();
    for (const Control& c : window.controls) {
        const QRect source = sources.value(c.name);
        const bool disabled = state.disabled.contains(c.name);
        if (c.isButton()) {
            int look = disabled ? kDisabled : (c.name == state.hovered ? kHover : kNormal);
            if (c.look == "grip") {
                look = inside ? kHover : kNormal;
            }
            const int row = qBound(0, state.values.value(c.name), c.stateCount() - 1);
            const QRect cell(
                source.topLeft() + QPoint(look * c.rect.width(), row * c.rect.height()),
                c.rect.size());
            p.drawImage(QRect(c.rect.topLeft() * scale, c.rect.size() * scale), cells,
                        QRect(cell.topLeft() * scale, cell.size() * scale));
        } else if (c.look == "slider") {
            const int track = c.rect.width() - c.thumb;
            const int at = track * state.values.value(c.name) / 100;
            const QRect cell(source.topLeft(), QSize(c.thumb, c.thumb));
            p.drawImage(QRect((c.rect.topLeft() + QPoint(at, 0)) * scale, cell.size() * scale),
                        cells, QRect(cell.topLeft() * scale, cell.size() * scale));
        } else if (c.look == "text") {
            const QString text =
                c.name == "Time" ? state.time : (c.name == "Info" ? state.info : QString());
            QFont font(m_painter.faceOf(c.font));
            font.setPixelSize(c.rect.height() - 2);
            font.setWeight(c.bold ? QFont::Bold : QFont::Normal);
            p.save();
            p.scale(scale, scale);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setClipRect(c.rect);
            p.setFont(font);
            p.setPen(m_palette.named(c.colour));
            Qt::Alignment align = Qt::AlignLeft;
            if (c.align == "Right") {
                align = Qt::AlignRight;
            } else if (c.align == "Center") {
                align = Qt::AlignHCenter;
            }
            if (c.name == "Time" && QFontMetricsF(font).horizontalAdvance(text) > c.rect.width()) {
                align = Qt::AlignRight;
            }
            p.drawText(QRectF(c.rect), align | Qt::AlignVCenter | Qt::TextSingleLine, text);
            p.restore();
        } else if (c.look == "meter") {
            const QVector<qint16> s = samples(state.speech);
            const QRectF r(c.rect);
            const double step = (r.width() - 3) / (s.size() / 2.0);
            const double mid = r.top() + r.height() / 2;
            QPolygonF trace;
            for (int i = 0; i < s.size(); i += 2) {
                const double y =
                    qBound(r.top() + 1, mid + s[i] * (r.height() / 2 / 32767.0), r.bottom() - 1);
                trace << QPointF(r.left() + (i / 2) * step, y);
            }
            p.save();
            p.scale(scale, scale);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(m_palette.named(c.colour), 1));
            p.drawPolyline(trace);
            p.restore();
        }
    }
    return image;
}

}  // namespace skinart
