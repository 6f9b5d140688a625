#pragma once
// Where the main window is and how it is divided, kept between runs: its position, size and
// state, and the height of its task panel. The values are read and written through TNiceSettings,
// as text, in the per-user store.
#include "settings/NiceSettings.h"

#include <QString>

class QMainWindow;
class QSettings;
class QSplitter;
class QWidget;

class TMainWindowPlacement final : public NicePropertyHost {
public:
    // `panel` is the task panel above `splitter`'s handle; the store may be null (nothing kept).
    TMainWindowPlacement(QMainWindow& window, QWidget& panel, QSplitter& splitter, QSettings* store,
                         const QString& programFolder);

    TNiceSettings& NiceSettings() { return m_nice; }
    void LoadProps() { m_nice.LoadProps(); }
    void SaveProps() { m_nice.SaveProps(); }
    // A restored task panel height can be applied only once the splitter has its size: the window
    // calls this when it is shown.
    void ApplyPendingHeight();

    // NicePropertyHost
    QString ComponentName() const override;
    bool HasComponent(const QString& component) const override;
    std::optional<QString> GetProperty(const QString& component, const QString& property) const override;
    bool SetProperty(const QString& component, const QString& property, const QString& value) override;

private:
    QMainWindow& m_window;
    QWidget& m_panel;
    QSplitter& m_splitter;
    TNiceSettings m_nice;
    int m_pendingHeight = -1;
};
