#include "RecentFileList.h"

namespace {
QString Comparable(const QString& path) {
    QString s = path;
    s.remove(u'&');
    return s.toCaseFolded();
}
} // namespace

void RecentFileList::Add(const QString& path) {
    const QString key = Comparable(path);
    m_items.removeIf([&](const QString& item) { return Comparable(item) == key; });
    m_items.prepend(path);
    while (m_items.size() > MaxCount)
        m_items.removeLast();
}

void RecentFileList::Load(const QStringList& stored) {
    for (qsizetype i = stored.size() - 1; i >= 0; --i)
        Add(stored[i]);
}
