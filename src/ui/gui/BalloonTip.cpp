#include "BalloonTip.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int Gap = 4;
}

BalloonTip::BalloonTip(QWidget* owner)
    : QFrame(owner, Qt::ToolTip | Qt::FramelessWindowHint), m_title(new QLabel(this)),
      m_text(new QLabel(this)) {
    setObjectName(QStringLiteral("BalloonTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameShape(QFrame::Box);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setObjectName(QStringLiteral("BalloonTitle"));
    m_text->setObjectName(QStringLiteral("BalloonText"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(2);
    layout->addWidget(m_title);
    layout->addWidget(m_text);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
}

QString BalloonTip::Title() const {
    return m_title->text();
}

QString BalloonTip::Text() const {
    return m_text->text();
}

QRect BalloonTip::Place(const QRect& field, const QSize& tip, const QRect& screen, const QRect& keepClear) {
    const QRect candidates[] = {
        QRect(QPoint(field.right() + Gap, field.center().y() - tip.height() / 2), tip),
        QRect(QPoint(field.left(), field.bottom() + Gap), tip),
        QRect(QPoint(field.left(), field.top() - Gap - tip.height()), tip),
    };
    auto fits = [&](const QRect& r) { return screen.isNull() || screen.contains(r); };
    for (const QRect& r : candidates) {
        if (fits(r) && (keepClear.isNull() || !r.intersects(keepClear)))
            return r;
    }
    for (const QRect& r : candidates) {
        if (fits(r))
            return r;
    }
    return candidates[1];
}

void BalloonTip::ShowAt(QWidget* field, const QString& title, const QString& text, int milliseconds,
                        const QRect& keepClear) {
    m_title->setText(title);
    m_text->setText(text);
    adjustSize();
    const QRect fieldRect(field->mapToGlobal(QPoint(0, 0)), field->size());
    const QScreen* screen = field->screen() ? field->screen() : QGuiApplication::primaryScreen();
    setGeometry(Place(fieldRect, sizeHint(), screen ? screen->availableGeometry() : QRect(), keepClear));
    if (m_window != field->window()) {
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = field->window();
        m_window->installEventFilter(this);
    }
    show();
    raise();
    m_timer.start(milliseconds);
}

bool BalloonTip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && (event->type() == QEvent::Hide || event->type() == QEvent::Move))
        hide();
    return QFrame::eventFilter(watched, event);
}
