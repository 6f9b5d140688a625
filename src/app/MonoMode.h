#pragma once
// The exclusive mode of a test that demands it: the window loses its border, stays on top of the
// others and covers the whole screen until the session ends; then it gets back exactly the
// position, size, flags and state it had.
//
// The flags are set once on entry: setting them again re-creates the native window, which the
// pupil would see as flicker. Losing the focus to another program and being minimised are
// answered as the window learns of them (activation and state-change events); the 100 ms watchdog
// only covers what no event reports, such as another window raised over ours without taking the
// focus, or a window manager that moved or resized us. A dialog of our own may have the focus;
// when another program takes it from the dialog, the dialog gets it back. Every window of ours
// that opens during the mode is asked to stay on top as well, or a window manager that keeps
// stay-on-top windows in a layer of their own would open it under the exclusive window.
//
// On Wayland a program may neither raise nor activate itself and the compositor decides about
// stacking, so the mode there keeps the window borderless and full screen and leaves the rest to
// the compositor.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QWidget;

class MonoMode : public QObject {
    Q_OBJECT
public:
    static constexpr int WatchdogInterval = 100; // ms

    explicit MonoMode(QWidget& window, QObject* parent = nullptr);
    ~MonoMode() override;

    bool IsActive() const { return m_active; }
    // Whether the platform lets a program bring itself to the front.
    static bool CanTakeForeground();

    void EnterMonoMode();
    // One watchdog tick: full screen again, back to the front, out of the minimised state.
    void TimerModeMonoTimer();
    void LeaveMonoMode();

    const QTimer& Watchdog() const { return m_timer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect TargetGeometry() const;
    void BringBack();
    // A window of ours about to be mapped while the mode is on: above the exclusive window too.
    void KeepAbove(QWidget& window);

    QWidget& m_window;
    QTimer m_timer;
    bool m_active = false;
    bool m_bringBackQueued = false;
    // What the window had before.
    QRect m_savedGeometry;
    Qt::WindowFlags m_savedFlags;
    Qt::WindowStates m_savedState;
    bool m_savedVisible = false;
    // The windows KeepAbove raised into the stay-on-top layer, to be put back on leaving.
    QList<QPointer<QWidget>> m_keptAbove;
};
