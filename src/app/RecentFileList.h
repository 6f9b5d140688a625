#pragma once
// The recent test files and their rules, without the menu that shows them (RecentFiles.h).
#include <QStringList>

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
