#pragma once

#include <QPoint>
#include <QRect>
#include <memory>
#include <string>

#include "skin/BitmapResource.h"
#include "skin/SkinValues.h"

class QPainter;

namespace ambrin {

class SkinView;

// Interaction states of a control, as the owner sets them by name ("set state"). Any
// other number shows the normal look.
namespace control_state {
inline constexpr int kNormal = 0;
inline constexpr int kHover = 1;
inline constexpr int kDisabled = 2;        // the fourth cell of a button
inline constexpr int kPressed = 3;         // pressed with the pointer on the control
inline constexpr int kPressedOutside = 4;  // pressed, then the pointer left it
inline constexpr int kDragging = 5;        // a slider's thumb follows the pointer
}  // namespace control_state

// Owner notification codes of the controls.
namespace control_event {
inline constexpr int kClick = 0;
inline constexpr int kPointerEntered = 1;
inline constexpr int kPointerLeft = 2;
inline constexpr int kSliderMoved = 4;
inline constexpr int kSliderReleased = 5;
inline constexpr int kTextClick = 6;  // a button that carries a window name or an address
}  // namespace control_event

// The common part of every control of a skin window: name, place, source images, state
// and value. Positions are the window's logical pixels. Controls live inside their
// SkinView, which restores their background before it asks them to paint and delivers
// their notifications; all calls come from the thread that holds the window's lock.
class SkinControl {
  public:
    enum class Kind { Button, MultiState, Slider, VerticalSlider, Text, LevelMeter };

    SkinControl(Kind kind, std::string name);
    virtual ~SkinControl();
    SkinControl(const SkinControl&) = delete;
    SkinControl& operator=(const SkinControl&) = delete;

    Kind kind() const { return m_kind; }
    const std::string& name() const { return m_name; }
    const QRect& rect() const { return m_rect; }
    int panel() const { return m_panel; }
    int state() const { return m_state; }
    bool enabled() const { return m_state != control_state::kDisabled; }

    // Set by the document while it builds the control.
    void place(SkinView* view, int panel, const QRect& rect);
    void setImages(std::shared_ptr<const BitmapResource> bitmap, const skin::SkinRect& source,
                   bool vertical);
    void setTooltip(std::string tooltip) { m_tooltip = std::move(tooltip); }

    virtual void setState(int state);
    // Slider percent, multi-state row, level meter mode (1 mirrored); others keep it.
    virtual int value() const { return m_value; }
    virtual void setValue(int value);
    virtual std::string text() const { return m_text; }
    virtual void setText(const std::string& text);
    // The tooltip for the control's present look.
    virtual std::string tooltip() const { return m_tooltip; }

    // Draws the control into the window's buffer; its background is already restored.
    virtual void paint(QPainter& painter, int scale) const = 0;
    // One step of animation every timer tick; true when the control needs repainting.
    virtual bool animate() { return false; }

    // The pointer, in window coordinates. Press, drag and release reach the control that
    // took the press until the button is released.
    virtual void pointerEntered();
    virtual void pointerLeft();
    virtual void press(const QPoint& at);
    virtual void drag(const QPoint& at);
    virtual void release(const QPoint& at);

  protected:
    // Repaints the control in its window and marks the area for the screen.
    void changed();
    void notify(int code);
    void drawCell(QPainter& painter, const QRect& cell, const QRect& target, int scale) const;

    Kind m_kind;
    std::string m_name;
    SkinView* m_view = nullptr;
    int m_panel = 0;
    QRect m_rect;
    std::shared_ptr<const BitmapResource> m_bitmap;
    skin::SkinRect m_source;
    bool m_vertical = false;
    std::string m_tooltip;
    std::string m_text;
    int m_state = control_state::kNormal;
    int m_value = 0;
};

}  // namespace ambrin
