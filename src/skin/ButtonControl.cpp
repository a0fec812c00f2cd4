#include "skin/ButtonControl.h"

namespace ambrin {

ButtonControl::ButtonControl(std::string name) : SkinControl(Kind::Button, std::move(name)) {}

int ButtonControl::lookColumn() const {
    switch (m_state) {
        case control_state::kHover:
        case control_state::kDragging:
            return 1;
        case control_state::kDisabled:
            return 2;
        case control_state::kPressed:
        case control_state::kPressedOutside:
            return 3;
        default:
            return 0;
    }
}

QRect ButtonControl::cell(int look) const {
    return m_vertical ? skin::cellOf(m_source, 1, 4, 0, look)
                      : skin::cellOf(m_source, 4, 1, look, 0);
}

void ButtonControl::paint(QPainter& painter, int scale) const {
    drawCell(painter, cell(lookColumn()), m_rect, scale);
}

void ButtonControl::press(const QPoint& /*at*/) {
    setState(control_state::kPressed);
}

void ButtonControl::drag(const QPoint& at) {
    if (m_state == control_state::kPressed || m_state == control_state::kPressedOutside) {
        setState(m_rect.contains(at) ? control_state::kPressed : control_state::kPressedOutside);
    }
}

void ButtonControl::release(const QPoint& at) {
    if (m_state != control_state::kPressed && m_state != control_state::kPressedOutside) {
        return;
    }
    if (!m_rect.contains(at)) {
        setState(control_state::kNormal);
        return;
    }
    setState(control_state::kHover);
    notify(m_text.empty() ? control_event::kClick : control_event::kTextClick);
}

}  // namespace ambrin
