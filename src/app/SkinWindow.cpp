#include "app/SkinWindow.h"

#include <QCloseEvent>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QToolTip>
#include <QWheelEvent>
#include <cstdlib>

#include "app/SkinWindowOwner.h"
#include "skin/SkinView.h"

namespace ambrin {

namespace {

constexpr int kCreatedPeriodMs = 150;
constexpr int kReplacedPeriodMs = 250;
constexpr int kUsableMargin = 20;  // a stored position this close to the far edges is unusable
constexpr int kSnapDistance = 9;   // pixels from a screen edge that snap to it
constexpr int kWheelNotch = 120;
constexpr const char* kWindowStatus = "WindowStatus";
constexpr const char* kQuit = "Quit";
constexpr int kPointerEnteredWindow = 7;
constexpr int kPointerLeftWindow = 8;

// The events a busy window swallows: everything that could reach the owner or the
// elements. Geometry and show notices still pass, so the toolkit's own state stays right.
bool swallowedWhileBusy(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Close:
        case QEvent::Timer:
        case QEvent::Paint:
        case QEvent::ToolTip:
        case QEvent::Enter:
        case QEvent::Leave:
        case QEvent::HoverEnter:
        case QEvent::HoverLeave:
        case QEvent::HoverMove:
        case QEvent::ContextMenu:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

}  // namespace

SkinWindow::SkinWindow(SkinWindowOwner& owner, std::shared_ptr<SkinView> view,
                       const Options& options)
    : QWidget(nullptr),
      m_owner(owner),
      m_view(std::move(view)),
      m_options(options),
      m_constructed(std::chrono::steady_clock::now()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (m_options.toolWindow) {
        flags |= Qt::Tool;
    }
    if (m_options.topmost) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(flags);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    attach();
}

SkinWindow::~SkinWindow() {
    m_timer.stop();
    if (m_view) {
        m_view->setOwner(nullptr);
        m_view->setUpdateHandler({});
    }
}

void SkinWindow::attach() {
    if (!m_view) {
        return;
    }
    m_view->setOwner(&m_owner);
    m_view->setUpdateHandler([this](const QRect& area) {
        if (QThread::currentThread() == thread()) {
            update(area);
        } else {
            QMetaObject::invokeMethod(
                this, [this, area] { update(area); }, Qt::QueuedConnection);
        }
    });
    setFixedSize(m_view->size());
}

void SkinWindow::applyShape() {
    if (m_view && !m_view->region().isEmpty()) {
        setMask(m_view->region());
    } else {
        clearMask();
    }
}

QRect SkinWindow::screenRect() const {
    const QScreen* current = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return current != nullptr ? current->geometry() : QRect(0, 0, 1024, 768);
}

QPoint SkinWindow::initialPosition(const QPoint& requested, const QSize& window,
                                   const QRect& screen) {
    const QPoint at = requested - screen.topLeft();
    if (at.x() >= 0 && at.y() >= 0 && at.x() <= screen.width() - kUsableMargin &&
        at.y() <= screen.height() - kUsableMargin) {
        return requested;
    }
    return screen.topLeft() +
           QPoint((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
}

QPoint SkinWindow::snapToScreen(const QRect& moved, const QRect& screen) {
    QPoint at = moved.topLeft();
    const int right = moved.x() + moved.width();
    const int bottom = moved.y() + moved.height();
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    if (std::abs(right - screenRight) <= kSnapDistance) {
        at.setX(screenRight - moved.width());
    }
    if (std::abs(bottom - screenBottom) <= kSnapDistance) {
        at.setY(screenBottom - moved.height());
    }
    if (std::abs(moved.x() - screen.x()) <= kSnapDistance) {
        at.setX(screen.x());
    }
    if (std::abs(moved.y() - screen.y()) <= kSnapDistance) {
        at.setY(screen.y());
    }
    return at;
}

QRect SkinWindow::replacementRect(const QRect& old, const QSize& size, const QRect& screen) {
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    QRect next(old.topLeft(), size);
    if (next.x() + next.width() > screenRight) {
        next.moveLeft(screenRight - next.width());
    }
    if (next.y() + next.height() > screenBottom) {
        next.moveTop(screenBottom - next.height());
    }
    if (next.x() < screen.x()) {
        next.moveLeft(screen.x());
    }
    if (next.y() < screen.y()) {
        next.moveTop(screen.y());
    }
    if (old.x() + old.width() >= screenRight) {
        next.moveLeft(screenRight - next.width());
    }
    if (old.y() + old.height() >= screenBottom) {
        next.moveTop(screenBottom - next.height());
    }
    if (old.x() <= screen.x()) {
        next.moveLeft(screen.x());
    }
    if (old.y() <= screen.y()) {
        next.moveTop(screen.y());
    }
    return next;
}

int SkinWindow::create(const QPoint& position) {
    if (!m_view || m_view->size().isEmpty()) {
        return kFailed;
    }
    const QRect screen = screenRect();
    move(initialPosition(position, m_view->size(), screen));
    applyShape();
    show();
    raise();
    activateWindow();
    m_created = true;
    m_busy = false;
    m_resting = false;
    m_timer.start(kCreatedPeriodMs);
    m_owner.onCreated();
    return kOk;
}

int SkinWindow::closeWindow() {
    if (!usable()) {
        return kNoWindow;
    }
    close();
    return kOk;
}

void SkinWindow::closeEvent(QCloseEvent* event) {
    if (!usable()) {
        event->ignore();
        return;
    }
    m_timer.stop();
    m_lastPosition = pos();
    m_busy = true;
    m_created = false;
    event->accept();
    m_owner.onAction(kQuit, 0);
}

int SkinWindow::showWindow() {
    if (!usable()) {
        return kNoWindow;
    }
    showNormal();
    return kOk;
}

int SkinWindow::hideWindow() {
    if (!usable()) {
        return kNoWindow;
    }
    hide();
    return kOk;
}

int SkinWindow::enableWindow() {
    if (!usable()) {
        return kNoWindow;
    }
    setEnabled(true);
    return kOk;
}

int SkinWindow::disableWindow() {
    if (!usable()) {
        return kNoWindow;
    }
    setEnabled(false);
    return kOk;
}

int SkinWindow::setTitle(const std::string& title) {
    if (!m_created) {
        return kNoWindow;
    }
    setWindowTitle(QString::fromStdString(title));
    return kOk;
}

int SkinWindow::captureMouse(bool on) {
    if (!usable()) {
        return kNoWindow;
    }
    if (on) {
        grabMouse();
    } else {
        releaseMouse();
    }
    return kOk;
}

int SkinWindow::showCursor(bool on) {
    if (!m_created) {
        return kNoWindow;
    }
    if (on) {
        unsetCursor();
    } else {
        setCursor(Qt::BlankCursor);
    }
    return kOk;
}

int SkinWindow::setCursorPosition(const QPoint& global) {
    if (!m_created) {
        return kNoWindow;
    }
    QCursor::setPos(global);
    return kOk;
}

int SkinWindow::cursorPosition(QPoint& global) const {
    if (!m_created) {
        return kNoWindow;
    }
    global = QCursor::pos();
    return kOk;
}

int SkinWindow::moveWindow(const QRect& rect) {
    if (!usable()) {
        return kNoWindow;
    }
    move(rect.topLeft());
    return kOk;
}

int SkinWindow::windowRect(QRect& rect) const {
    if (!m_created) {
        return kNoWindow;
    }
    rect = geometry();
    return kOk;
}

int SkinWindow::minimise() {
    if (!usable()) {
        return kNoWindow;
    }
    showMinimized();
    m_minimised = true;
    if (m_options.toolWindow) {
        hide();
    }
    return kOk;
}

int SkinWindow::restore() {
    if (!usable()) {
        return kNoWindow;
    }
    showNormal();
    raise();
    activateWindow();
    m_minimised = false;
    return kOk;
}

void SkinWindow::applyFlags(Qt::WindowFlags flags) {
    const bool wasVisible = isVisible();
    const QPoint at = pos();
    setWindowFlags(flags);  // hides the window
    move(at);
    applyShape();
    if (wasVisible || !m_minimised) {
        show();
    }
}

int SkinWindow::setTopmost(bool on) {
    if (!usable()) {
        return kNoWindow;
    }
    m_options.topmost = on;
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    applyFlags(flags);
    return kOk;
}

int SkinWindow::setToolWindow(bool on) {
    if (!usable()) {
        return kNoWindow;
    }
    m_options.toolWindow = on;
    hide();
    // Qt::Tool includes the Qt::Window bit, which a top-level window keeps.
    Qt::WindowFlags flags = windowFlags() & ~Qt::WindowType_Mask;
    flags |= on ? Qt::Tool : Qt::Window;
    applyFlags(flags);
    showNormal();
    return kOk;
}

int SkinWindow::setAutoUpdate(bool on) {
    m_options.autoUpdate = on;
    return kOk;
}

int SkinWindow::replaceView(std::shared_ptr<SkinView> view) {
    if (!usable()) {
        return kNoWindow;
    }
    if (!view || view->size().isEmpty()) {
        return kFailed;
    }
    QRect old;
    {
        const std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_busy = true;
        m_timer.stop();
        old = geometry();
        m_lastPosition = old.topLeft();
        hide();
        if (m_view) {
            m_view->setOwner(nullptr);
            m_view->setUpdateHandler({});
        }
        m_view = std::move(view);
        m_pointerInside = false;
        m_dragging = false;
        attach();
    }
    applyShape();
    move(replacementRect(old, m_view->size(), screenRect()).topLeft());
    show();
    update();
    raise();
    activateWindow();
    setFocus();
    m_resting = false;
    m_timer.start(kReplacedPeriodMs);
    m_busy = false;
    return kOk;
}

int SkinWindow::notifyMixerChange(int controlId) {
    if (!usable()) {
        return kNoWindow;
    }
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_owner.onMixerChange(controlId);
    return kOk;
}

int SkinWindow::lock() {
    m_lock.lock();
    return kOk;
}

int SkinWindow::unlock() {
    m_lock.unlock();
    return kOk;
}

int SkinWindow::setState(const std::string& name, int state) {
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_view) {
        m_view->setState(name, state);
    }
    return kOk;
}

int SkinWindow::setValue(const std::string& name, int value) {
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_view) {
        m_view->setValue(name, value);
    }
    return kOk;
}

int SkinWindow::setText(const std::string& name, const std::string& text) {
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_view) {
        m_view->setText(name, text);
    }
    return kOk;
}

int SkinWindow::setLevelData(const std::string& name, const std::int16_t* samples, size_t count) {
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_view) {
        m_view->setLevelData(name, samples, count);
    }
    return kOk;
}

int SkinWindow::readValue(const std::string& name, int& value) {
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_view && m_view->readValue(name, value) ? kOk : kFailed;
}

int SkinWindow::readText(const std::string& name, std::string& text) {
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_view && m_view->readText(name, text) ? kOk : kFailed;
}

bool SkinWindow::event(QEvent* event) {
    if (m_busy && swallowedWhileBusy(event->type())) {
        // An accepted close event would still close the window.
        event->setAccepted(event->type() != QEvent::Close);
        return true;
    }
    if (event->type() == QEvent::ToolTip && m_view) {
        auto* help = static_cast<QHelpEvent*>(event);
        std::string text;
        QRect area;
        {
            const std::lock_guard<std::recursive_mutex> guard(m_lock);
            text = m_view->tooltipAt(help->pos());
            if (const SkinControl* control = m_view->controlAt(help->pos())) {
                area = control->rect();
            }
        }
        if (text.empty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), QString::fromStdString(text), this, area);
        }
        return true;
    }
    return QWidget::event(event);
}

void SkinWindow::paintEvent(QPaintEvent* event) {
    if (!m_view) {
        return;
    }
    wake();
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    const int scale = devicePixelRatioF() >= 2.0 ? 2 : 1;
    m_view->setScale(scale);
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), m_view->buffer());
}

void SkinWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_view) {
        return;
    }
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_view->pointerPress(event->position().toPoint())) {
        // Not on a control: the window itself follows the pointer.
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - pos();
    }
}

void SkinWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void SkinWindow::mouseMoveEvent(QMouseEvent* event) {
    m_pointerOver = true;
    wake();
    m_pointer = event->position().toPoint();
    if (!m_view) {
        return;
    }
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_dragging) {
        const QPoint corner = event->globalPosition().toPoint() - m_dragOffset;
        move(snapToScreen(QRect(corner, size()), screenRect()));
        return;
    }
    m_view->pointerMove(event->position().toPoint());
}

void SkinWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        const std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_owner.onMiddleClick();
        return;
    }
    if (event->button() == Qt::RightButton) {
        m_owner.onRightButton(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || !m_view) {
        return;
    }
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_dragging) {
        m_dragging = false;
        return;
    }
    m_view->pointerRelease(event->position().toPoint());
}

void SkinWindow::wheelEvent(QWheelEvent* event) {
    // Fine-grained wheels send parts of a notch; they add up to whole ones.
    m_wheelRest += event->angleDelta().y();
    const int steps = m_wheelRest / kWheelNotch;
    m_wheelRest -= steps * kWheelNotch;
    if (steps != 0) {
        const std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_owner.onWheel(steps);
    }
    event->accept();
}

void SkinWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        m_owner.onKey('h');
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint()) {
        m_owner.onKey(text.at(0).unicode());
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinWindow::enterEvent(QEnterEvent* event) {
    m_pointerOver = true;
    wake();
    m_pointer = event->position().toPoint();
    QWidget::enterEvent(event);
}

void SkinWindow::leaveEvent(QEvent* event) {
    m_pointerOver = false;
    wake();
    if (m_view) {
        const std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_view->pointerLeft();
    }
    QWidget::leaveEvent(event);
}

void SkinWindow::tick() {
    if (!m_busy && m_view) {
        const bool inside = m_pointerOver && rect().contains(m_pointer) &&
                            (m_view->region().isEmpty() || m_view->region().contains(m_pointer));
        if (inside && !m_pointerInside) {
            m_pointerInside = true;
            m_owner.onAction(kWindowStatus, kPointerEnteredWindow);
        } else if (!inside && m_pointerInside) {
            m_pointerInside = false;
            m_owner.onAction(kWindowStatus, kPointerLeftWindow);
            const std::lock_guard<std::recursive_mutex> guard(m_lock);
            if (!m_dragging) {
                m_view->pointerLeft();
            }
        }
    }
    if (!m_updaterFired &&
        std::chrono::steady_clock::now() - m_constructed > m_options.updaterDelay) {
        m_updaterFired = true;
        if (m_options.autoUpdate) {
            m_owner.onStartUpdater();
        }
    }
    bool moving = false;
    if (isVisible() && !m_busy && m_view) {
        const std::lock_guard<std::recursive_mutex> guard(m_lock);
        moving = m_view->animate();
    }
    // The hover state is settled and nothing moves: rest until the pointer, a paint or the
    // updater's time wakes the timer, so an idle window on screen all day costs nothing.
    if (moving || m_busy || m_dragging) {
        return;
    }
    if (!m_updaterFired && m_options.autoUpdate) {
        const auto left =
            m_options.updaterDelay - (std::chrono::steady_clock::now() - m_constructed);
        QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(left) +
                               std::chrono::milliseconds(1),
                           this, [this] { wake(); });
    }
    m_resting = true;
    m_timer.stop();
}

void SkinWindow::wake() {
    if (m_resting && !m_busy) {
        m_resting = false;
        m_timer.start();
    }
}

}  // namespace ambrin
