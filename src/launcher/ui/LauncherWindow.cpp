#include "launcher/ui/LauncherWindow.h"

#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "launcher/PcxImage.h"

namespace ambrin::launcher {

LauncherWindow::LauncherWindow(Pictures pictures, std::vector<LauncherButton> buttons,
                               ActionHandler handler)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_pictures(std::move(pictures)),
      m_buttons(std::move(buttons)),
      m_handler(std::move(handler)) {
    setObjectName("LauncherWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFixedSize(m_pictures.focus.deviceIndependentSize().toSize());
}

QRegion LauncherWindow::regionOf(const PcxImage& shape) {
    QImage kept(shape.width(), shape.height(), QImage::Format_MonoLSB);
    kept.setColor(0, QColor(Qt::white).rgb());
    kept.setColor(1, QColor(Qt::black).rgb());
    kept.fill(0);
    for (int y = 0; y < shape.height(); ++y) {
        for (int x = 0; x < shape.width(); ++x) {
            if (!shape.bit(x, y)) {
                kept.setPixel(x, y, 1);
            }
        }
    }
    return QRegion(QBitmap::fromImage(kept));
}

bool LauncherWindow::setShape(const PcxImage& shape) {
    if (QSize(shape.width(), shape.height()) != size()) {
        return false;
    }
    setMask(regionOf(shape));
    return true;
}

void LauncherWindow::showCentred() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    show();
}

void LauncherWindow::bringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void LauncherWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_pictures.background);
    if (m_current < 0) {
        return;
    }
    const ButtonRect& r = m_buttons[static_cast<std::size_t>(m_current)].picture;
    const QRectF picture(r.left, r.top, r.width(), r.height());
    const QImage& look = m_pressed ? m_pictures.select : m_pictures.focus;
    const qreal ratio = look.devicePixelRatio();
    painter.drawImage(picture, look, QRectF(picture.topLeft() * ratio, picture.size() * ratio));
}

void LauncherWindow::pointerAt(const QPoint& position) {
    const int found = buttonAt(m_buttons, position.x(), position.y());
    setCursor(found >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (found != m_current) {
        m_current = found;
        m_pressed = false;
        update();
    }
}

void LauncherWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    pointerAt(event->position().toPoint());
}

void LauncherWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pointerAt(event->position().toPoint());
    if (m_current < 0) {
        // The desktop moves the window when it can; else it follows the pointer.
        if (windowHandle() == nullptr || !windowHandle()->startSystemMove()) {
            m_dragging = true;
            m_dragOffset = event->globalPosition().toPoint() - pos();
        }
        return;
    }
    m_pressed = true;
    repaint();
    const ButtonAction action = m_buttons[static_cast<std::size_t>(m_current)].action();
    // Acting may open a modal wizard; it runs after this event, with the pressed look shown.
    QTimer::singleShot(0, this, [this, action] {
        if (m_handler) {
            m_handler(action);
        }
        // A wizard may have taken the button's release: once the button is up, show what
        // is under the pointer now.
        if (!QGuiApplication::mouseButtons().testFlag(Qt::LeftButton)) {
            m_pressed = false;
            m_current = -1;
            pointerAt(mapFromGlobal(QCursor::pos()));
            update();
        }
    });
}

void LauncherWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_dragging = false;
    m_current = -1;
    m_pressed = false;
    pointerAt(event->position().toPoint());
    update();
}

void LauncherWindow::leaveEvent(QEvent*) {
    if (m_dragging) {
        return;
    }
    if (m_current >= 0) {
        m_current = -1;
        m_pressed = false;
        update();
    }
    setCursor(Qt::ArrowCursor);
}

}  // namespace ambrin::launcher
