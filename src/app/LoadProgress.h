#pragma once
// The progress of a long load of a test, on a small bar in the main window's status bar. A test is
// loaded on the window's thread (its worker threads read and decipher ahead), so while a load runs
// the window would neither repaint nor show anything: once a load has taken longer than a pupil
// waits without wondering, the bar shows how far it has come, and the window's events other than
// the pupil's input are let through between pieces, so that it keeps repainting.
#include <QElapsedTimer>

class QProgressBar;
class QStatusBar;

class TLoadProgress {
public:
    // The bar shows after `showAfterMs` of loading.
    static constexpr int ShowAfterMs = 500;

    explicit TLoadProgress(QStatusBar& bar, int showAfterMs = ShowAfterMs);

    void Begin();
    // How far the load has come; on the window's thread, inside the load.
    void Report(qint64 done, qint64 total);
    void End();
    bool Loading() const { return m_clock.isValid(); }
    void SetShowAfterMs(int ms) { m_showAfterMs = ms; }
    QProgressBar* Bar() const { return m_bar; }

private:
    QProgressBar* m_bar;
    int m_showAfterMs;
    QElapsedTimer m_clock;
    qint64 m_lastEvents = 0;
};
