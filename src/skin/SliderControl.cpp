#include "skin/SliderControl.h"

#include <algorithm>
#include <cstdlib>

namespace ambrin {

SliderControl::SliderControl(std::string name, const Options& options)
    : SkinControl(options.vertical ? Kind::VerticalSlider : Kind::Slider, std::move(name)),
      m_options(options) {
    m_options.thumbStates = std::max(1, m_options.thumbStates);
    m_options.frames = std::clamp(m_options.frames, 1, 3);
}

QSize SliderControl::thumbSize() const {
    return m_vertical ? skin::cellOf(m_source, m_options.thumbStates, 3, 0, 0).size()
                      : skin::cellOf(m_source, 3, m_options.thumbStates, 0, 0).size();
}

int SliderControl::trackLength() const {
    const QSize thumb = thumbSize();
    const int length =
        m_options.vertical ? m_rect.height() - thumb.height() : m_rect.width() - thumb.width();
    return std::max(0, length);
}

int SliderControl::trackStart() const {
    return m_options.vertical ? m_rect.top() : m_rect.left();
}

int SliderControl::along(const QPoint& at) const {
    return m_options.vertical ? at.y() : at.x();
}

int SliderControl::value() const {
    const int track = trackLength();
    return track > 0 ? m_position * 100 / track : 0;
}

void SliderControl::setValue(int percent) {
    if (percent < 0 || percent > 100 || m_dragging) {
        return;
    }
    const int position = trackLength() * percent / 100;
    if (position != m_position) {
        m_position = position;
        changed();
    }
}

int SliderControl::thumbRow() const {
    const int track = trackLength();
    if (track <= 0) {
        return 0;
    }
    return std::min(m_options.thumbStates - 1, m_position * m_options.thumbStates / track);
}

QRect SliderControl::thumbRect() const {
    const QSize thumb = thumbSize();
    if (m_options.vertical) {
        return QRect(m_rect.left() + (m_rect.width() - thumb.width()) / 2,
                     m_rect.top() + m_position, thumb.width(), thumb.height());
    }
    return QRect(m_rect.left() + m_position, m_rect.top() + (m_rect.height() - thumb.height()) / 2,
                 thumb.width(), thumb.height());
}

void SliderControl::paint(QPainter& painter, int scale) const {
    int look = 0;
    switch (m_state) {
        case control_state::kHover:
        case control_state::kDragging:
            look = 1;
            break;
        case control_state::kPressed:
        case control_state::kPressedOutside:
            look = 2;
            break;
        default:
            break;
    }
    look = std::min(look, m_options.frames - 1);
    const QRect cell = m_vertical
                           ? skin::cellOf(m_source, m_options.thumbStates, 3, thumbRow(), look)
                           : skin::cellOf(m_source, 3, m_options.thumbStates, look, thumbRow());
    drawCell(painter, cell, thumbRect(), scale);
}

void SliderControl::moveTo(int position, bool snap) {
    const int track = trackLength();
    position = std::clamp(position, 0, track);
    if (snap && m_options.notch > 0) {
        const int notch = track * m_options.notch / 100;
        if (std::abs(position - notch) <= m_options.notchWidth / 2) {
            position = notch;
        }
    }
    if (position != m_position) {
        m_position = position;
        changed();
        notify(control_event::kSliderMoved);
    }
}

void SliderControl::pointerEntered() {
    if (!m_dragging) {
        SkinControl::pointerEntered();
    } else {
        notify(control_event::kPointerEntered);
    }
}

void SliderControl::press(const QPoint& at) {
    const QRect thumb = thumbRect();
    const int thumbLength = m_options.vertical ? thumb.height() : thumb.width();
    m_dragging = true;
    if (thumb.contains(at)) {
        m_grab = along(at) - (m_options.vertical ? thumb.top() : thumb.left());
        setState(control_state::kPressed);
        return;
    }
    // A click on the track centres the thumb on the pointer, and the drag goes on from there.
    m_grab = thumbLength / 2;
    setState(control_state::kDragging);
    moveTo(along(at) - thumbLength / 2 - trackStart(), false);
}

void SliderControl::drag(const QPoint& at) {
    if (!m_dragging) {
        return;
    }
    setState(control_state::kDragging);
    moveTo(along(at) - m_grab - trackStart(), true);
}

void SliderControl::release(const QPoint& at) {
    if (!m_dragging) {
        return;
    }
    m_dragging = false;
    setState(m_rect.contains(at) ? control_state::kHover : control_state::kNormal);
    notify(control_event::kSliderReleased);
}

}  // namespace ambrin
