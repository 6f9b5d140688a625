#include "MainWindowPlacement.h"

#include "settings/PlacementValue.h"

#include <QMainWindow>
#include <QSettings>
#include <QSplitter>

#include <algorithm>
#include <memory>

TMainWindowPlacement::TMainWindowPlacement(QMainWindow& window, QWidget& panel, QSplitter& splitter,
                                           QSettings* store, const QString& programFolder)
    : m_window(window), m_panel(panel), m_splitter(splitter), m_nice(*this) {
    m_nice.SetUpForMainWindow();
    if (store) {
        // The placement goes into the same per-user store as the rest.
        m_nice.SetStoreOpener([store](const QString&) {
            return std::make_unique<QSettings>(store->fileName(), store->format());
        });
    }
    m_nice.SetProgramFolder(programFolder);
}

void TMainWindowPlacement::ApplyPendingHeight() {
    if (m_pendingHeight < 0)
        return;
    const int total = m_splitter.height();
    const int top = std::clamp(m_pendingHeight, m_panel.minimumHeight(), std::max(0, total - 150));
    m_splitter.setSizes({top, std::max(0, total - top)});
    m_pendingHeight = -1;
}

QString TMainWindowPlacement::ComponentName() const {
    return m_window.objectName();
}

bool TMainWindowPlacement::HasComponent(const QString& component) const {
    return component == QStringLiteral("PanelQuestion");
}

std::optional<QString> TMainWindowPlacement::GetProperty(const QString& component,
                                                         const QString& property) const {
    if (component == QStringLiteral("PanelQuestion")) {
        if (property == QStringLiteral("Height"))
            return QString::number(m_panel.height());
        return std::nullopt;
    }
    if (!component.isEmpty())
        return std::nullopt;
    // A maximised window keeps the size it had before, as it will have when restored.
    const QRect normal = m_window.isMaximized() ? m_window.normalGeometry() : m_window.geometry();
    if (property == QStringLiteral("Left"))
        return QString::number(normal.x());
    if (property == QStringLiteral("Top"))
        return QString::number(normal.y());
    if (property == QStringLiteral("Width"))
        return QString::number(normal.width());
    if (property == QStringLiteral("Height"))
        return QString::number(normal.height());
    if (property == QStringLiteral("Position"))
        return QStringLiteral("poScreenCenter");
    if (property == QStringLiteral("WindowState"))
        return m_window.isMaximized()   ? QStringLiteral("wsMaximized")
               : m_window.isMinimized() ? QStringLiteral("wsMinimized")
                                        : QStringLiteral("wsNormal");
    return std::nullopt;
}

bool TMainWindowPlacement::SetProperty(const QString& component, const QString& property,
                                       const QString& value) {
    const std::optional<PlacementValue> parsed = ParsePlacementValue(component, property, value);
    if (!parsed)
        return false;
    using Kind = PlacementValue::Kind;
    QRect g = m_window.geometry();
    switch (parsed->kind) {
    case Kind::PanelHeight:
        m_pendingHeight = parsed->number;
        if (m_window.isVisible())
            m_splitter.setSizes({m_pendingHeight, std::max(0, m_splitter.height() - m_pendingHeight)});
        return true;
    case Kind::Position:
        return true;
    case Kind::Maximised:
        m_window.setWindowState(m_window.windowState() | Qt::WindowMaximized);
        return true;
    case Kind::Restored:
        m_window.setWindowState(m_window.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
        return true;
    case Kind::Left:
        g.moveLeft(parsed->number);
        break;
    case Kind::Top:
        g.moveTop(parsed->number);
        break;
    case Kind::Width:
        g.setWidth(parsed->number);
        break;
    case Kind::Height:
        g.setHeight(parsed->number);
        break;
    }
    m_window.setGeometry(g);
    return true;
}
