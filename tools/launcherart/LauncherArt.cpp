#include "LauncherArt.h"

#include "SkinPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace launcherart {

using ambrin::launcher::ButtonAction;
using ambrin::launcher::LauncherButton;

namespace {

constexpr double kRadius = 22;
const QRectF kPanel(16, 16, 271, 232);  // the welcome panel
const QString kFace = "NanumSquareRound";

QColor withAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QFont face(double pixels, bool bold) {
    QFont font(kFace);
    font.setPixelSize(int(std::lround(pixels)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QRectF toRectF(const ambrin::launcher::ButtonRect& r) {
    return QRectF(r.left, r.top, r.width(), r.height());
}

// A calm, call-like trace: a few syllables of speech between pauses.
double traceAt(double t) {
    const double envelope = std::pow(std::sin(t * 3.1), 2) * std::exp(-std::pow(t - 0.55, 2) * 3);
    return envelope * (0.6 * std::sin(t * 71) + 0.4 * std::sin(t * 157 + 1.3));
}

}  // namespace

LauncherArt::LauncherArt(std::vector<LauncherButton> buttons, bool korean, QString version)
    : m_buttons(std::move(buttons)),
      m_korean(korean),
      m_version(std::move(version)),
      m_palette(skinart::paletteNamed("graphite")) {}

QPainterPath LauncherArt::shape() {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, kWidth, kHeight), kRadius, kRadius);
    return path;
}

QImage LauncherArt::picture(Look look, int scale) const {
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
    image.fill(m_palette.outline);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintBody(p);
    paintWelcome(p);
    for (const LauncherButton& button : m_buttons) {
        paintButton(p, button, look);
    }
    return image;
}

void LauncherArt::paintBody(QPainter& p) const {
    // The skins' own body and display inset, so the launcher is one of the family.
    skinart::Skin skin;
    skin.fonts.append({"Display", kFace});
    skinart::Window window;
    window.size = QSize(kWidth, kHeight);
    window.radius = int(kRadius);
    window.decorations.append({"display", {}, kPanel.toRect()});
    skinart::SkinPainter(skin, m_palette).paintBackground(p, window);
}

void LauncherArt::paintWelcome(QPainter& p) const {
    const skinart::SkinPalette& c = m_palette;
    // A teal glow in the display's corner, under the mark.
    const QRectF inner = kPanel.adjusted(1, 1, -1, -1);
    QRadialGradient glow(QPointF(inner.left() + 40, inner.top() + 30), 220);
    glow.setColorAt(0, withAlpha(c.accent, 38));
    glow.setColorAt(1, withAlpha(c.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(inner, 9, 9);

    // The mark of the skins: a rounded square holding a short level trace.
    const QRectF mark(36, 36, 50, 50);
    p.setBrush(vertical(mark, c.accent.lighter(112), c.accent.darker(112)));
    p.drawRoundedRect(mark, 14, 14);
    p.setPen(QPen(c.display, 4.2, Qt::SolidLine, Qt::RoundCap));
    const double heights[] = {0.2, 0.5, 0.3, 0.62, 0.24};
    for (int i = 0; i < 5; ++i) {
        const double x = mark.left() + mark.width() * (0.22 + i * 0.14);
        const double h = mark.height() * heights[i];
        p.drawLine(QPointF(x, mark.center().y() - h / 2), QPointF(x, mark.center().y() + h / 2));
    }

    // The name, the same words as the skins' title, and what the product is.
    const QFont name = face(29, true);
    p.setFont(name);
    p.setPen(c.glyph);
    const QRectF nameBox(100, 34, 180, 34);
    p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, "Ambrin");
    p.setPen(c.accent);
    const double plusX = nameBox.left() + QFontMetricsF(name).horizontalAdvance("Ambrin") + 1;
    p.drawText(QRectF(plusX, nameBox.top(), 30, nameBox.height()), Qt::AlignLeft | Qt::AlignVCenter,
               "+");
    p.setFont(face(13, false));
    p.setPen(c.glyphMuted);
    p.drawText(QRectF(101, 66, 180, 20), Qt::AlignLeft | Qt::AlignVCenter,
               m_korean ? QString::fromUtf8("전화 통화 녹음기") : "Telephone call recorder");

    p.setFont(face(15, true));
    p.setPen(c.glyph);
    const QString welcome =
        m_korean ? QString::fromUtf8("모든 통화를 자동으로 녹음하고\n필요할 때 바로 찾아 듣습니다.")
                 : "Every call recorded by itself,\nfound again in seconds.";
    p.drawText(QRectF(36, 106, 240, 48), Qt::AlignLeft | Qt::AlignTop, welcome);

    // A recorded call as the skins' level meter draws it.
    const QRectF wave(36, 168, 231, 40);
    p.setPen(QPen(withAlpha(Qt::white, 16), 1));
    p.drawLine(QPointF(wave.left(), wave.center().y()), QPointF(wave.right(), wave.center().y()));
    QPainterPath trace;
    const int steps = 460;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const QPointF point(wave.left() + t * wave.width(),
                            wave.center().y() - traceAt(t) * wave.height() / 2);
        if (i == 0) {
            trace.moveTo(point);
        } else {
            trace.lineTo(point);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(c.accent, 60), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trace);
    p.setPen(QPen(c.meter, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trace);

    p.setFont(face(11, false));
    p.setPen(c.glyphMuted.darker(115));
    p.drawText(QRectF(36, 218, 240, 18), Qt::AlignLeft | Qt::AlignVCenter,
               (m_korean ? QString::fromUtf8("버전 ") : QString("Version ")) + m_version);
}

QString LauncherArt::label(ButtonAction action) const {
    switch (action) {
        case ButtonAction::Setup:
            return m_korean ? QString::fromUtf8("Ambrin+ 설치") : "Install";
        case ButtonAction::Explorer:
            return m_korean ? QString::fromUtf8("설치 파일 보기") : "Browse files";
        case ButtonAction::ReadMe:
            return m_korean ? QString::fromUtf8("읽어 보기") : "Read me";
        case ButtonAction::Manual:
            return m_korean ? QString::fromUtf8("사용 설명서") : "User's guide";
        case ButtonAction::Exit:
        case ButtonAction::None:
            break;
    }
    return {};
}

void LauncherArt::paintButton(QPainter& p, const LauncherButton& button, Look look) const {
    const QRectF r = toRectF(button.picture);
    p.save();
    if (button.action() == ButtonAction::Exit) {
        paintExit(p, r, look);
    } else {
        paintKey(p, r, button.action(), look);
    }
    p.restore();
}

void LauncherArt::paintKey(QPainter& p, const QRectF& cell, ButtonAction action, Look look) const {
    const skinart::SkinPalette& c = m_palette;
    const bool primary = action == ButtonAction::Setup;
    const double shift = look == Look::Pressed ? 1 : 0;
    const QRectF key = cell.adjusted(1, 1, -1, -2);
    const double radius = 11;
    p.setPen(Qt::NoPen);
    if (look != Look::Pressed) {
        p.setBrush(c.shadow);
        p.drawRoundedRect(key.translated(0, 1.5), radius, radius);
    }
    p.setBrush(primary ? c.accent.darker(150) : c.keyEdge);
    p.drawRoundedRect(key, radius, radius);
    const QRectF face_ = key.adjusted(1, 1, -1, -1);
    QColor top, bottom;
    if (primary) {
        top = c.accent.lighter(look == Look::Hover ? 122 : 108);
        bottom = c.accent.darker(look == Look::Hover ? 100 : 112);
        if (look == Look::Pressed) {
            top = c.accent.darker(118);
            bottom = c.accent.darker(108);
        }
    } else if (look == Look::Hover) {
        top = c.keyHoverTop;
        bottom = c.keyHoverBottom;
    } else if (look == Look::Pressed) {
        top = c.keyPressed;
        bottom = c.keyPressed;
    } else {
        top = c.keyTop;
        bottom = c.keyBottom;
    }
    p.setBrush(vertical(face_, top, bottom));
    p.drawRoundedRect(face_, radius - 1, radius - 1);
    if (look == Look::Pressed) {
        QLinearGradient inset(face_.topLeft(), face_.topLeft() + QPointF(0, 6));
        inset.setColorAt(0, withAlpha(Qt::black, 90));
        inset.setColorAt(1, withAlpha(Qt::black, 0));
        p.setBrush(inset);
        p.drawRoundedRect(face_, radius - 1, radius - 1);
    } else {
        // The light along the top edge of a raised key.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(Qt::white, primary ? 70 : 28), 1));
        p.drawLine(QPointF(face_.left() + radius, face_.top() + 0.5),
                   QPointF(face_.right() - radius, face_.top() + 0.5));
    }
    if (look == Look::Hover && !primary) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(c.accent, 190), 1.2));
        p.drawRoundedRect(key.adjusted(0.6, 0.6, -0.6, -0.6), radius - 0.6, radius - 0.6);
    }

    const QColor ink = primary ? c.display : c.glyph;
    const QColor iconInk = primary ? c.display : (look == Look::Normal ? c.glyphMuted : c.accent);
    const QRectF content = face_.translated(0, shift);
    paintIcon(p, action, QRectF(content.left() + 14, content.center().y() - 10, 20, 20), iconInk);
    p.setPen(ink);
    p.setFont(face(14.5, true));
    p.drawText(QRectF(content.left() + 44, content.top(), content.width() - 70, content.height()),
               Qt::AlignLeft | Qt::AlignVCenter, label(action));
    // A chevron: the key leads somewhere.
    p.setPen(QPen(withAlpha(ink, look == Look::Normal ? 110 : 220), 1.8, Qt::SolidLine,
                  Qt::RoundCap, Qt::RoundJoin));
    const QPointF tip(content.right() - 16, content.center().y());
    p.drawPolyline(QPolygonF({tip + QPointF(-4, -5), tip, tip + QPointF(-4, 5)}));
}

void LauncherArt::paintExit(QPainter& p, const QRectF& cell, Look look) const {
    const skinart::SkinPalette& c = m_palette;
    const QRectF ring = cell.adjusted(1, 1, -1, -2);
    p.setPen(Qt::NoPen);
    if (look != Look::Pressed) {
        p.setBrush(c.shadow);
        p.drawEllipse(ring.translated(0, 1.5));
    }
    p.setBrush(c.keyEdge);
    p.drawEllipse(ring);
    const QRectF face_ = ring.adjusted(1, 1, -1, -1);
    if (look == Look::Normal) {
        p.setBrush(vertical(face_, c.keyTop, c.keyBottom));
    } else if (look == Look::Hover) {
        p.setBrush(vertical(face_, c.closeHover.lighter(112), c.closeHover));
    } else {
        p.setBrush(c.closeHover.darker(125));
    }
    p.drawEllipse(face_);
    const double shift = look == Look::Pressed ? 1 : 0;
    const QPointF centre = face_.center() + QPointF(0, shift);
    p.setPen(QPen(look == Look::Normal ? c.glyphMuted : QColor(Qt::white), 2.2, Qt::SolidLine,
                  Qt::RoundCap));
    const double d = 5.5;
    p.drawLine(centre + QPointF(-d, -d), centre + QPointF(d, d));
    p.drawLine(centre + QPointF(-d, d), centre + QPointF(d, -d));
}

void LauncherArt::paintIcon(QPainter& p, ButtonAction action, const QRectF& box,
                            const QColor& colour) const {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const double l = box.left();
    const double t = box.top();
    switch (action) {
        case ButtonAction::Setup: {
            // An arrow into a tray.
            p.drawLine(QPointF(l + 10, t + 2), QPointF(l + 10, t + 12));
            p.drawPolyline(QPolygonF(
                {QPointF(l + 5.5, t + 8), QPointF(l + 10, t + 12.5), QPointF(l + 14.5, t + 8)}));
            p.drawPolyline(QPolygonF({QPointF(l + 2, t + 12), QPointF(l + 2, t + 17),
                                      QPointF(l + 18, t + 17), QPointF(l + 18, t + 12)}));
            break;
        }
        case ButtonAction::Explorer: {
            const QPointF folder[] = {{l + 2, t + 5},  {l + 8, t + 5},   {l + 10, t + 7},
                                      {l + 18, t + 7}, {l + 18, t + 16}, {l + 2, t + 16}};
            p.drawPolygon(folder, 6);
            p.drawLine(QPointF(l + 2, t + 10), QPointF(l + 18, t + 10));
            break;
        }
        case ButtonAction::ReadMe: {
            const QPointF page[] = {{l + 4, t + 2},
                                    {l + 12, t + 2},
                                    {l + 16, t + 6},
                                    {l + 16, t + 18},
                                    {l + 4, t + 18}};
            p.drawPolygon(page, 5);
            for (double y : {8.5, 11.5, 14.5}) {
                p.drawLine(QPointF(l + 7, t + y), QPointF(l + 13, t + y));
            }
            break;
        }
        case ButtonAction::Manual: {
            // An open book.
            QPainterPath book;
            book.moveTo(l + 10, t + 5);
            book.cubicTo(l + 7, t + 3, l + 4, t + 3, l + 1.5, t + 4);
            book.lineTo(l + 1.5, t + 16);
            book.cubicTo(l + 4, t + 15, l + 7, t + 15, l + 10, t + 17);
            book.cubicTo(l + 13, t + 15, l + 16, t + 15, l + 18.5, t + 16);
            book.lineTo(l + 18.5, t + 4);
            book.cubicTo(l + 16, t + 3, l + 13, t + 3, l + 10, t + 5);
            book.lineTo(l + 10, t + 17);
            p.drawPath(book);
            break;
        }
        case ButtonAction::Exit:
        case ButtonAction::None:
            break;
    }
    p.restore();
}

QByteArray encodePcx(const QImage& bits) {
    const int width = bits.width();
    const int height = bits.height();
    // Scan lines have an even number of bytes, as readers have always expected.
    const int stride = ((width + 15) / 16) * 2;
    QByteArray out(128, '\0');
    const auto putWord = [&out](int at, int value) {
        out[at] = char(value & 0xFF);
        out[at + 1] = char((value >> 8) & 0xFF);
    };
    out[0] = 10;  // ZSoft
    out[1] = 5;   // version 3.0 and later
    out[2] = 1;   // run-length encoding
    out[3] = 1;   // bits per pixel
    putWord(4, 0);
    putWord(6, 0);
    putWord(8, width - 1);
    putWord(10, height - 1);
    putWord(12, 72);
    putWord(14, 72);
    // The two colours of the 16-colour palette: black, white.
    for (int i = 3; i < 6; ++i) {
        out[16 + i] = char(0xFF);
    }
    out[65] = 1;  // planes
    putWord(66, stride);
    putWord(68, 1);  // colour palette
    for (int y = 0; y < height; ++y) {
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            if (bits.pixelIndex(x, y) == 1) {
                line[x / 8] = char(line[x / 8] | (0x80 >> (x % 8)));
            }
        }
        // Runs stay within a scan line.
        for (int i = 0; i < stride;) {
            int run = 1;
            while (i + run < stride && run < 63 && line[i + run] == line[i]) {
                ++run;
            }
            const auto byte = static_cast<unsigned char>(line[i]);
            if (run > 1 || (byte & 0xC0) == 0xC0) {
                out.append(char(0xC0 | run));
            }
            out.append(char(byte));
            i += run;
        }
    }
    return out;
}

}  // namespace launcherart
