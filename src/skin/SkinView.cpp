#include "skin/SkinView.h"

#include <QPainter>
#include <algorithm>

#include "skin/LevelMeterControl.h"
#include "skin/SkinOwner.h"

namespace ambrin {

SkinView::SkinView(std::string name) : m_name(std::move(name)) {}

SkinView::~SkinView() = default;

void SkinView::setUpdateHandler(std::function<void(const QRect&)> handler) {
    m_updateHandler = std::move(handler);
}

void SkinView::setScale(int scale) {
    scale = scale >= 2 ? 2 : 1;
    if (scale != m_scale) {
        m_scale = scale;
        m_bufferValid = false;
        markDirty(QRect(QPoint(0, 0), m_size));
    }
}

void SkinView::setDefaultFamily(const QString& family) {
    if (family != m_defaultFamily) {
        m_defaultFamily = family;
        m_bufferValid = false;
        markDirty(QRect(QPoint(0, 0), m_size));
    }
}

const QImage& SkinView::buffer() {
    if (!m_bufferValid) {
        renderAll();
    }
    return m_buffer;
}

void SkinView::renderAll() {
    m_bufferValid = true;
    if (m_size.isEmpty()) {
        m_buffer = QImage();
        return;
    }
    m_buffer = QImage(m_size * m_scale, QImage::Format_RGB32);
    m_buffer.setDevicePixelRatio(m_scale);
    m_buffer.fill(Qt::black);
    QPainter painter(&m_buffer);
    const QRect whole(QPoint(0, 0), m_size);
    restoreBackground(painter, whole, -1);
    for (size_t i = 0; i < m_panels.size(); ++i) {
        restoreBackground(painter, QRect(m_panels[i].origin, m_panels[i].size),
                          static_cast<int>(i));
    }
    for (const auto& control : m_controls) {
        paintControl(painter, *control);
    }
    painter.end();
    markDirty(whole);
}

QImage SkinView::shapedImage() {
    const QImage& drawn = buffer();
    QImage shaped(drawn.size(), QImage::Format_ARGB32_Premultiplied);
    shaped.setDevicePixelRatio(m_scale);
    shaped.fill(Qt::transparent);
    if (drawn.isNull()) {
        return shaped;
    }
    QPainter painter(&shaped);
    if (!m_region.isEmpty()) {
        painter.setClipRegion(m_region);
    }
    painter.drawImage(QPoint(0, 0), drawn);
    return shaped;
}

void SkinView::restoreBackground(QPainter& painter, const QRect& area, int panel) const {
    const QRect inWindow = area & QRect(QPoint(0, 0), m_size);
    if (m_background) {
        m_background->draw(painter, inWindow, inWindow.translated(m_backgroundSource.topLeft()),
                           true, m_scale);
    } else {
        painter.fillRect(inWindow, Qt::black);
    }
    if (panel < 0 || panel >= static_cast<int>(m_panels.size())) {
        return;
    }
    const SkinPanel& owner = m_panels[static_cast<size_t>(panel)];
    if (!owner.bitmap) {
        return;
    }
    const QRect inPanel = inWindow & QRect(owner.origin, owner.size);
    owner.bitmap->draw(painter, inPanel, inPanel.translated(owner.source.topLeft() - owner.origin),
                       true, m_scale);
}

void SkinView::paintControl(QPainter& painter, const SkinControl& control) const {
    QRect clip = control.rect() & QRect(QPoint(0, 0), m_size);
    if (control.panel() >= 0 && control.panel() < static_cast<int>(m_panels.size())) {
        const SkinPanel& panel = m_panels[static_cast<size_t>(control.panel())];
        clip &= QRect(panel.origin, panel.size);
    }
    if (clip.isEmpty()) {
        return;
    }
    painter.save();
    painter.setClipRect(clip);
    restoreBackground(painter, clip, control.panel());
    control.paint(painter, m_scale);
    painter.restore();
}

void SkinView::repaintControl(const SkinControl& control) {
    if (!m_bufferValid || m_buffer.isNull()) {
        return;  // drawn whole when the buffer is next asked for
    }
    QPainter painter(&m_buffer);
    paintControl(painter, control);
    painter.end();
    markDirty(control.rect());
}

void SkinView::markDirty(const QRect& area) {
    if (m_updateHandler && !area.isEmpty()) {
        m_updateHandler(area);
    }
}

void SkinView::notify(const std::string& control, int code) {
    m_pending.emplace_back(control, code);
}

void SkinView::deliver() {
    if (m_pending.empty()) {
        return;
    }
    // The owner may replace or drop this window from inside a notification.
    const std::shared_ptr<SkinView> keep = weak_from_this().lock();
    const auto pending = std::exchange(m_pending, {});
    SkinOwner* owner = m_owner;
    if (owner == nullptr) {
        return;
    }
    for (const auto& [name, code] : pending) {
        owner->onAction(name, code);
    }
}

void SkinView::setHovered(SkinControl* control) {
    if (control == m_hovered) {
        return;
    }
    if (SkinControl* previous = std::exchange(m_hovered, control)) {
        previous->pointerLeft();
    }
    if (control != nullptr) {
        control->pointerEntered();
    }
}

void SkinView::pointerMove(const QPoint& at) {
    if (m_captured != nullptr) {
        m_captured->drag(at);
    } else {
        SkinControl* under = controlAt(at);
        setHovered(under != nullptr && under->enabled() ? under : nullptr);
    }
    deliver();
}

bool SkinView::pointerPress(const QPoint& at) {
    SkinControl* under = controlAt(at);
    const bool taken = under != nullptr && under->enabled();
    if (taken) {
        setHovered(under);
        m_captured = under;
        under->press(at);
    }
    deliver();
    return taken;
}

void SkinView::pointerRelease(const QPoint& at) {
    if (SkinControl* captured = std::exchange(m_captured, nullptr)) {
        captured->release(at);
    }
    SkinControl* under = controlAt(at);
    setHovered(under != nullptr && under->enabled() ? under : nullptr);
    deliver();
}

void SkinView::pointerLeft() {
    if (m_captured == nullptr) {
        setHovered(nullptr);
    }
    deliver();
}

bool SkinView::animate() {
    bool moving = false;
    for (const auto& control : m_controls) {
        moving = control->animate() || moving;
    }
    deliver();
    return moving;
}

SkinControl* SkinView::controlAt(const QPoint& at) const {
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        const SkinControl& control = **it;
        if (!control.rect().contains(at)) {
            continue;
        }
        if (control.panel() >= 0 && control.panel() < static_cast<int>(m_panels.size())) {
            const SkinPanel& panel = m_panels[static_cast<size_t>(control.panel())];
            if (!QRect(panel.origin, panel.size).contains(at)) {
                continue;
            }
        }
        return it->get();
    }
    return nullptr;
}

SkinControl* SkinView::findControl(const std::string& name) const {
    for (const auto& control : m_controls) {
        if (control->name() == name) {
            return control.get();
        }
    }
    return nullptr;
}

std::string SkinView::tooltipAt(const QPoint& at) const {
    const SkinControl* control = controlAt(at);
    return control != nullptr ? control->tooltip() : std::string();
}

int SkinView::setState(const std::string& name, int state) {
    int reached = 0;
    for (const auto& control : m_controls) {
        if (control->name() == name) {
            if (control.get() == m_captured && state == control_state::kDisabled) {
                m_captured = nullptr;
            }
            control->setState(state);
            ++reached;
        }
    }
    return reached;
}

int SkinView::setValue(const std::string& name, int value) {
    int reached = 0;
    for (const auto& control : m_controls) {
        if (control->name() == name) {
            control->setValue(value);
            ++reached;
        }
    }
    return reached;
}

int SkinView::setText(const std::string& name, const std::string& text) {
    int reached = 0;
    for (const auto& control : m_controls) {
        if (control->name() == name) {
            control->setText(text);
            ++reached;
        }
    }
    return reached;
}

int SkinView::setLevelData(const std::string& name, const std::int16_t* samples, size_t count) {
    int reached = 0;
    for (const auto& control : m_controls) {
        if (control->name() == name && control->kind() == SkinControl::Kind::LevelMeter) {
            static_cast<LevelMeterControl&>(*control).setLevelData(samples, count);
            ++reached;
        }
    }
    return reached;
}

bool SkinView::readValue(const std::string& name, int& value) const {
    if (const SkinControl* control = findControl(name)) {
        value = control->value();
        return true;
    }
    return false;
}

bool SkinView::readText(const std::string& name, std::string& text) const {
    if (const SkinControl* control = findControl(name)) {
        text = control->text();
        return true;
    }
    return false;
}

void SkinView::setBackground(std::shared_ptr<const BitmapResource> bitmap, const QRect& source) {
    m_background = std::move(bitmap);
    m_backgroundSource = source;
    m_size = source.size();
    m_region = m_background ? m_background->opaqueRegion(source) : QRegion();
    if (m_dummyPanel >= 0) {
        m_panels[static_cast<size_t>(m_dummyPanel)].size = m_size;
    }
    m_bufferValid = false;
}

int SkinView::addPanel(SkinPanel panel) {
    m_panels.push_back(std::move(panel));
    return static_cast<int>(m_panels.size()) - 1;
}

int SkinView::dummyPanel() {
    if (m_dummyPanel < 0) {
        m_dummyPanel = addPanel(SkinPanel{"DummyPanel", QPoint(0, 0), nullptr, QRect(), m_size});
    }
    return m_dummyPanel;
}

void SkinView::addControl(std::unique_ptr<SkinControl> control) {
    m_controls.push_back(std::move(control));
    m_bufferValid = false;
}

}  // namespace ambrin
