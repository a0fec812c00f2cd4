#include "skin/SkinControl.h"

#include "skin/SkinView.h"

namespace ambrin {

SkinControl::SkinControl(Kind kind, std::string name) : m_kind(kind), m_name(std::move(name)) {}

SkinControl::~SkinControl() = default;

void SkinControl::place(SkinView* view, int panel, const QRect& rect) {
    m_view = view;
    m_panel = panel;
    m_rect = rect;
}

void SkinControl::setImages(std::shared_ptr<const BitmapResource> bitmap,
                            const skin::SkinRect& source, bool vertical) {
    m_bitmap = std::move(bitmap);
    m_source = source;
    m_vertical = vertical;
}

void SkinControl::setState(int state) {
    if (state != m_state) {
        m_state = state;
        changed();
    }
}

void SkinControl::setValue(int value) {
    if (value != m_value) {
        m_value = value;
        changed();
    }
}

void SkinControl::setText(const std::string& text) {
    if (text != m_text) {
        m_text = text;
        changed();
    }
}

void SkinControl::pointerEntered() {
    if (enabled()) {
        setState(control_state::kHover);
    }
    notify(control_event::kPointerEntered);
}

void SkinControl::pointerLeft() {
    if (m_state == control_state::kHover) {
        setState(control_state::kNormal);
    }
    notify(control_event::kPointerLeft);
}

void SkinControl::press(const QPoint& /*at*/) {}

void SkinControl::drag(const QPoint& /*at*/) {}

void SkinControl::release(const QPoint& /*at*/) {}

void SkinControl::changed() {
    if (m_view != nullptr) {
        m_view->repaintControl(*this);
    }
}

void SkinControl::notify(int code) {
    if (m_view != nullptr) {
        m_view->notify(m_name, code);
    }
}

void SkinControl::drawCell(QPainter& painter, const QRect& cell, const QRect& target,
                           int scale) const {
    if (m_bitmap) {
        m_bitmap->draw(painter, target, cell, false, scale);
    }
}

}  // namespace ambrin
