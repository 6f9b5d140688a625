#include "MonoMode.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace {

constexpr Qt::WindowFlags MonoFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

} // namespace

MonoMode::MonoMode(QWidget& window, QObject* parent) : QObject(parent), m_window(window) {
    m_timer.setObjectName(QStringLiteral("TimerModeMono"));
    m_timer.setInterval(WatchdogInterval);
    connect(&m_timer, &QTimer::timeout, this, &MonoMode::TimerModeMonoTimer);
}

MonoMode::~MonoMode() {
    if (m_active)
        qApp->removeEventFilter(this);
}

bool MonoMode::CanTakeForeground() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QRect MonoMode::TargetGeometry() const {
    const QScreen* screen = m_window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : m_window.geometry();
}

void MonoMode::EnterMonoMode() {
    if (m_active)
        return;
    m_savedState = m_window.windowState();
    // A maximised or full-screen window remembers its normal place separately.
    m_savedGeometry = m_savedState & (Qt::WindowMaximized | Qt::WindowFullScreen) ? m_window.normalGeometry()
                                                                                  : m_window.geometry();
    m_savedFlags = m_window.windowFlags();
    m_savedVisible = m_window.isVisible();
    m_active = true;

    m_window.setWindowFlags(m_savedFlags | MonoFlags);
    m_window.setGeometry(TargetGeometry());
    m_window.setWindowState(Qt::WindowFullScreen | Qt::WindowActive);
    m_window.show();
    m_window.raise();
    if (CanTakeForeground())
        m_window.activateWindow();
    // The whole application is watched: the window itself, and every dialog that opens over it.
    qApp->installEventFilter(this);
    m_timer.start();
}

void MonoMode::TimerModeMonoTimer() {
    if (!m_active)
        return;
    // Flags are put back only when something took them away, never merely re-applied.
    if ((m_window.windowFlags() & MonoFlags) != MonoFlags) {
        m_window.setWindowFlags(m_window.windowFlags() | MonoFlags);
        m_window.show();
    }
    // Full screen brings its own geometry, which may arrive later than the state; the geometry is
    // only corrected on a window that is full screen already.
    const Qt::WindowStates state = m_window.windowState();
    if (state & Qt::WindowMinimized || !(state & Qt::WindowFullScreen))
        m_window.setWindowState(Qt::WindowFullScreen | Qt::WindowActive);
    else if (m_window.geometry() != TargetGeometry())
        m_window.setGeometry(TargetGeometry());
    if (!m_window.isVisible())
        m_window.show();
    // Only another program in front counts: a dialog or viewer of our own may have the focus.
    if (CanTakeForeground() && !QApplication::activeWindow()) {
        if (QWindow* modal = QGuiApplication::modalWindow()) {
            modal->raise();
            modal->requestActivate();
        } else {
            m_window.raise();
            m_window.activateWindow();
        }
    }
}

void MonoMode::BringBack() {
    m_bringBackQueued = false;
    if (m_active)
        TimerModeMonoTimer();
}

void MonoMode::KeepAbove(QWidget& window) {
    QWindow* handle = window.windowHandle();
    if (!handle || handle->flags() & Qt::WindowStaysOnTopHint)
        return;
    // On the native window only: changing the widget's flags would re-create the window while it
    // is being shown. The show event comes before the window is mapped, so the window manager
    // learns of the layer when it maps the window.
    handle->setFlag(Qt::WindowStaysOnTopHint, true);
    m_keptAbove.append(&window);
}

bool MonoMode::eventFilter(QObject* watched, QEvent* event) {
    if (m_active && event->type() == QEvent::Show && watched != &m_window && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Menus, lists and tips are popups, above everything already.
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && (type == Qt::Dialog || type == Qt::Window || type == Qt::Tool))
            KeepAbove(*widget);
    }
    if (watched == &m_window && m_active) {
        const QEvent::Type type = event->type();
        const bool lost =
            (type == QEvent::WindowStateChange && (m_window.windowState() & Qt::WindowMinimized)) ||
            (type == QEvent::ActivationChange && !m_window.isActiveWindow());
        // Answered after the event has been handled, so the window is not changed in the middle of it.
        if (lost && !m_bringBackQueued) {
            m_bringBackQueued = true;
            QTimer::singleShot(0, this, &MonoMode::BringBack);
        }
    }
    return QObject::eventFilter(watched, event);
}

void MonoMode::LeaveMonoMode() {
    if (!m_active)
        return;
    m_active = false;
    m_timer.stop();
    qApp->removeEventFilter(this);
    for (const QPointer<QWidget>& kept : std::exchange(m_keptAbove, {})) {
        if (kept && kept->windowHandle())
            kept->windowHandle()->setFlag(Qt::WindowStaysOnTopHint,
                                          kept->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
    m_window.setWindowFlags(m_savedFlags);
    // The normal place first, so that a window that was maximised keeps it for later.
    m_window.setWindowState(Qt::WindowNoState);
    m_window.setGeometry(m_savedGeometry);
    m_window.setWindowState(m_savedState & ~Qt::WindowActive);
    if (m_savedVisible)
        m_window.show();
}
