#include "LoadProgress.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QStatusBar>

namespace {
// Events are let through at most this often, which keeps the window responsive to the eye while
// the load loses next to nothing.
constexpr qint64 EventsEveryMs = 40;
} // namespace

namespace {
constexpr int BarWidth = 160;
} // namespace

// The bar lies over the right end of the status bar, whose panels say nothing while no test is
// loaded, rather than in its layout, which would widen the window's least width for good.
TLoadProgress::TLoadProgress(QStatusBar& bar, int showAfterMs)
    : m_bar(new QProgressBar(&bar)), m_showAfterMs(showAfterMs) {
    m_bar->setObjectName(QStringLiteral("LoadProgress"));
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_bar->hide();
}

void TLoadProgress::Begin() {
    m_clock.start();
    m_lastEvents = 0;
}

void TLoadProgress::Report(qint64 done, qint64 total) {
    if (!m_clock.isValid())
        return;
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed < m_showAfterMs)
        return;
    m_bar->setValue(total > 0 ? int(std::min(done, total) * 1000 / total) : 0);
    if (!m_bar->isVisible()) {
        const QWidget& bar = *m_bar->parentWidget();
        m_bar->setGeometry(std::max(0, bar.width() - BarWidth - 20), 3, BarWidth,
                           std::max(6, bar.height() - 6));
        m_bar->raise();
        m_bar->show();
    }
    if (m_lastEvents == 0 || elapsed - m_lastEvents >= EventsEveryMs) {
        m_lastEvents = std::max<qint64>(elapsed, 1);
        // Not the pupil's input: no command may start while the test is half loaded.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void TLoadProgress::End() {
    m_clock.invalidate();
    m_bar->hide();
}
