#include "skin/LevelMeterControl.h"

#include <QPainter>
#include <QPen>
#include <QPointF>
#include <algorithm>

namespace ambrin {

LevelMeterControl::LevelMeterControl(std::string name, QColor colour)
    : SkinControl(Kind::LevelMeter, std::move(name)), m_colour(colour) {}

void LevelMeterControl::setLevelData(const std::int16_t* samples, size_t count) {
    m_samples.assign(samples, samples + count);
    changed();
}

void LevelMeterControl::release(const QPoint& at) {
    if (m_rect.contains(at)) {
        notify(control_event::kClick);
    }
}

void LevelMeterControl::paint(QPainter& painter, int /*scale*/) const {
    const size_t points = m_samples.size() / 2;
    if (points == 0 || m_value == kOff || m_rect.width() < 4 || m_rect.height() < 3) {
        return;
    }
    const int centre = m_rect.top() + m_rect.height() / 2;
    const int half = m_rect.height() / 2;
    const int top = m_rect.top() + 1;
    const int bottom = m_rect.bottom() - 1;
    // Fractional steps, so that a block of more points than pixels still spans the field.
    const double step = static_cast<double>(m_rect.width() - 3) / static_cast<double>(points);
    const bool mirrored = m_value == kMirrored;
    std::vector<QPointF> line;
    line.reserve(points * (mirrored ? 3 : 1));
    for (size_t i = 0; i < points; ++i) {
        const double x = m_rect.left() + step * static_cast<double>(i);
        const int offset = m_samples[2 * i] * half / 32767;
        const int y = std::clamp(centre + offset, top, bottom);
        line.emplace_back(x, y);
        if (mirrored) {
            line.emplace_back(x, std::clamp(2 * centre - y, top, bottom));
            line.emplace_back(x, centre);
        }
    }
    QPen pen(m_colour);
    pen.setWidth(1);
    pen.setCosmetic(false);
    painter.setPen(pen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawPolyline(line.data(), static_cast<int>(line.size()));
}

}  // namespace ambrin
