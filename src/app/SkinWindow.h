#pragma once

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace ambrin {

class SkinView;
class SkinWindowOwner;

// Shows one window of a loaded skin: a frameless top-level widget shaped by the skin's
// region, painting the view's buffer. It routes pointer, wheel and key input to the
// element layer and the owner, runs a timer (150 ms, 250 ms after a replacement) for the
// hover test, the one-time updater start and the elements' animation, lets the user drag
// it with snapping to the screen edges, and can swap in another skin window in place.
//
// Lives on the GUI thread. Element operations by name take the window's recursive lock, as
// do the input handlers; other threads reach the window through queued calls. Operations
// return 0, 19 when there is no window (not created yet, or closed) or, for those the user
// sees, while the window is busy (being replaced or closing), and 2 when the window system
// refused.
class SkinWindow : public QWidget {
  public:
    static constexpr int kOk = 0;
    static constexpr int kFailed = 2;
    static constexpr int kNoWindow = 19;

    struct Options {
        bool topmost = false;     // "KeepVisible"
        bool toolWindow = false;  // "ToTray" or "UsePassword": no taskbar entry
        bool autoUpdate = false;  // "AutoUpdateValue"
        // How long after construction the updater may start.
        std::chrono::milliseconds updaterDelay = std::chrono::seconds(120);
    };

    SkinWindow(SkinWindowOwner& owner, std::shared_ptr<SkinView> view, const Options& options);
    ~SkinWindow() override;

    // Places and shows the window: at `position` when it is usable (x and y at least 0 and
    // at most the screen's size less 20), else centred. Calls the owner's onCreated. 2 when
    // the skin window has no size.
    int create(const QPoint& position);
    // Closes as the user would: the timer stops, the position is kept, and the owner gets
    // ("Quit", 0). 19 without a window or while busy.
    int closeWindow();
    // The window's position when it was last closed or replaced.
    QPoint lastPosition() const { return m_lastPosition; }

    int showWindow();
    int hideWindow();
    int enableWindow();
    int disableWindow();
    int setTitle(const std::string& title);
    int captureMouse(bool on);
    int showCursor(bool on);
    int setCursorPosition(const QPoint& global);
    int cursorPosition(QPoint& global) const;
    int moveWindow(const QRect& rect);
    int windowRect(QRect& rect) const;
    int minimise();
    int restore();
    int setTopmost(bool on);
    int setToolWindow(bool on);
    int setAutoUpdate(bool on);
    // Shows another skin window in this one's place: the new size starts at the old
    // top-left corner, kept on the screen, and edges the old window touched stay touched.
    int replaceView(std::shared_ptr<SkinView> view);
    // Sends a mixer change notice to the owner, under the lock.
    int notifyMixerChange(int controlId);

    // The recursive element lock.
    int lock();
    int unlock();
    std::recursive_mutex& mutex() { return m_lock; }

    // By element name, for every element of that name, under the lock.
    int setState(const std::string& name, int state);
    int setValue(const std::string& name, int value);
    int setText(const std::string& name, const std::string& text);
    int setLevelData(const std::string& name, const std::int16_t* samples, size_t count);
    int readValue(const std::string& name, int& value);
    int readText(const std::string& name, std::string& text);

    // While busy, every event is swallowed. Set during a replacement and from the start of
    // closing on; the owner may set it around its own long changes.
    void setBusy(bool busy) { m_busy = busy; }
    bool busy() const { return m_busy; }
    bool created() const { return m_created; }
    bool minimised() const { return m_minimised; }
    SkinView* view() const { return m_view.get(); }

    // The position rule of create().
    static QPoint initialPosition(const QPoint& requested, const QSize& window,
                                  const QRect& screen);
    // Where a window dragged to `moved` lands: a left or top edge within 9 pixels of the
    // screen's goes to it, and so does a right or bottom edge; the size stays.
    static QPoint snapToScreen(const QRect& moved, const QRect& screen);
    // The rectangle of a replacement of size `size` for a window at `old`.
    static QRect replacementRect(const QRect& old, const QSize& size, const QRect& screen);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void attach();
    void applyShape();
    void applyFlags(Qt::WindowFlags flags);
    void tick();
    void wake();
    QRect screenRect() const;
    bool usable() const { return m_created && !m_busy; }

    SkinWindowOwner& m_owner;
    std::shared_ptr<SkinView> m_view;
    Options m_options;
    std::recursive_mutex m_lock;
    QTimer m_timer;
    std::chrono::steady_clock::time_point m_constructed;
    bool m_created = false;
    bool m_busy = false;
    bool m_minimised = false;
    bool m_pointerInside = false;  // as the last hover test found it
    // Where the window system last saw the pointer over the window (it reports no pointer
    // over the transparent parts), so that the hover test asks the server nothing.
    bool m_pointerOver = false;
    QPoint m_pointer;
    bool m_updaterFired = false;
    // The tick timer rests while no tick could change anything (pointer away, nothing moving,
    // the updater start done or armed on a single shot); a pointer, a paint or a show wakes it.
    bool m_resting = false;
    bool m_dragging = false;
    QPoint m_dragOffset;  // pointer's distance from the window's corner while dragging
    int m_wheelRest = 0;  // wheel delta not yet a whole notch
    QPoint m_lastPosition;
};

}  // namespace ambrin
