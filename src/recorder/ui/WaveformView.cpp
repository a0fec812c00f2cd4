#include "recorder/ui/WaveformView.h"

#include <QPainter>
#include <QPolygon>

#include "recorder/InputMixer.h"

namespace ambrin {

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WaveformView::draw(const LevelBlock::Snapshot& level) {
    if (m_image.size() != size()) {
        m_image = QImage(size(), QImage::Format_RGB32);
    }
    m_image.fill(Qt::black);
    QPolygon line;
    for (const WavePoint& point : volumeWaveform(level, width(), height())) {
        line.append(QPoint(point.x, point.y));
    }
    if (!line.isEmpty()) {
        QPainter painter(&m_image);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawPolyline(line);
    }
    update();
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_image.isNull()) {
        painter.fillRect(rect(), Qt::black);
    } else {
        painter.drawImage(0, 0, m_image);
    }
}

}  // namespace ambrin
