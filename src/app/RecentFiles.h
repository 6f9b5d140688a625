#pragma once
// The "Попередні файли" submenu that shows the recent test files (RecentFileList.h) and keeps them
// in the per-user store between runs.
#include "RecentFileList.h"

#include <QObject>
#include <QStringList>

class QMenu;
class QSettings;

// The submenu of the recent files, one item per path with the path as its caption (an ampersand
// in it is a character, not an access letter). Choosing one asks for it to be opened.
class TRecentFilesMenu : public QObject {
    Q_OBJECT
public:
    explicit TRecentFilesMenu(QMenu& menu);

    QMenu& Menu() const { return m_menu; }
    const RecentFileList& List() const { return m_list; }
    void Add(const QString& path);
    // LoadRecentFiles and SaveRecentFiles over the per-user store; nothing without one.
    void Load(QSettings* store);
    void Save(QSettings* store) const;

signals:
    void OpenRequested(const QString& path);

private:
    void Rebuild();

    QMenu& m_menu;
    RecentFileList m_list;
};
