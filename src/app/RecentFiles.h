#pragma once
// The recent test files: the list and its rules, and the "Попередні файли" submenu that shows it
// and keeps it in the per-user store between runs.
#include <QObject>
#include <QStringList>

class QMenu;
class QSettings;

// The recent test files, most recent first, at most MaxCount. Paths are compared without regard to
// letter case and to ampersands, so a path that differs only in case replaces the old entry.
class RecentFileList {
public:
    static constexpr int MaxCount = 5;
    const QStringList& Items() const { return m_items; }
    void Add(const QString& path);
    // The stored list, top first: added from the last to the first, so the first ones survive.
    void Load(const QStringList& stored);
    void Clear() { m_items.clear(); }

private:
    QStringList m_items;
};

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
