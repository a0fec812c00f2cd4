#pragma once

#include <QImage>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "skin/BitmapResource.h"
#include "skin/SkinControl.h"
#include "skin/SkinValues.h"

class QPainter;

namespace ambrin {

class SkinOwner;

// A panel of a skin window ("OPANEL", or the implicit "DummyPanel" that holds the controls
// standing directly in the window). Its controls are placed relative to its origin.
struct SkinPanel {
    std::string name;
    QPoint origin;
    std::shared_ptr<const BitmapResource> bitmap;  // none for "DummyPanel"
    QRect source;                                  // its background in the bitmap
    QSize size;
};

// One window of a loaded skin ("OWINDOW"): its background, shape, panels and controls, and
// the off-screen buffer they are drawn into. The SkinWindow widget shows it; the view
// itself knows no toolkit beyond Qt GUI, so it also draws without a screen (tests,
// screenshots).
//
// Pointer positions are the window's logical pixels. Not thread-safe: every call comes
// under the lock of the window that shows the view (or on one thread when none does).
// Notifications reach the owner after the call that caused them has done its work.
class SkinView : public std::enable_shared_from_this<SkinView> {
  public:
    explicit SkinView(std::string name);
    ~SkinView();
    SkinView(const SkinView&) = delete;
    SkinView& operator=(const SkinView&) = delete;

    const std::string& name() const { return m_name; }
    QSize size() const { return m_size; }
    // The window's shape: the opaque pixels of its background, or the whole rectangle when
    // the background has no transparent colour.
    const QRegion& region() const { return m_region; }
    const std::vector<SkinPanel>& panels() const { return m_panels; }
    const std::vector<std::unique_ptr<SkinControl>>& controls() const { return m_controls; }

    void setOwner(SkinOwner* owner) { m_owner = owner; }
    // Called with every area that changed in the buffer, so that it reaches the screen.
    void setUpdateHandler(std::function<void(const QRect&)> handler);

    // 1, or 2 on screens of twice the density; the buffer follows and is drawn again.
    void setScale(int scale);
    int scale() const { return m_scale; }
    // The buffer of the whole window, background and every control (its device pixel
    // ratio is the scale).
    const QImage& buffer();
    // Draws the whole window afresh.
    void renderAll();
    // The window as the screen shows it: the buffer with everything outside the shape
    // transparent (premultiplied ARGB at the view's scale), for pictures of the skin.
    QImage shapedImage();

    // The family for text fields whose own face is unknown ("SkinDefaultFont").
    void setDefaultFamily(const QString& family);
    const QString& defaultFamily() const { return m_defaultFamily; }

    // Pointer input. press returns false when no enabled control took it (the press may
    // then move the window).
    void pointerMove(const QPoint& at);
    bool pointerPress(const QPoint& at);
    void pointerRelease(const QPoint& at);
    // The pointer left the window.
    void pointerLeft();
    // One animation tick for every control; true while any of them is still moving.
    bool animate();

    SkinControl* controlAt(const QPoint& at) const;
    SkinControl* findControl(const std::string& name) const;
    std::string tooltipAt(const QPoint& at) const;

    // By name, for every control of that name. The setters return how many they reached;
    // the readers take the first and return false when there is none.
    int setState(const std::string& name, int state);
    int setValue(const std::string& name, int value);
    int setText(const std::string& name, const std::string& text);
    int setLevelData(const std::string& name, const std::int16_t* samples, size_t count);
    bool readValue(const std::string& name, int& value) const;
    bool readText(const std::string& name, std::string& text) const;

    // Used by the controls.
    void repaintControl(const SkinControl& control);
    void notify(const std::string& control, int code);

    // Building, used by the document.
    void setBackground(std::shared_ptr<const BitmapResource> bitmap, const QRect& source);
    int addPanel(SkinPanel panel);
    int dummyPanel();
    void addControl(std::unique_ptr<SkinControl> control);

  private:
    void restoreBackground(QPainter& painter, const QRect& area, int panel) const;
    void paintControl(QPainter& painter, const SkinControl& control) const;
    void markDirty(const QRect& area);
    void deliver();
    void setHovered(SkinControl* control);

    std::string m_name;
    QSize m_size;
    QRegion m_region;
    std::shared_ptr<const BitmapResource> m_background;
    QRect m_backgroundSource;
    std::vector<SkinPanel> m_panels;
    int m_dummyPanel = -1;
    std::vector<std::unique_ptr<SkinControl>> m_controls;

    SkinOwner* m_owner = nullptr;
    std::function<void(const QRect&)> m_updateHandler;
    QImage m_buffer;
    bool m_bufferValid = false;
    int m_scale = 1;
    QString m_defaultFamily;

    SkinControl* m_hovered = nullptr;
    SkinControl* m_captured = nullptr;
    std::vector<std::pair<std::string, int>> m_pending;
};

}  // namespace ambrin
