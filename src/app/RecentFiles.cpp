#include "RecentFiles.h"

#include "settings/UserStore.h"

#include <QAction>
#include <QMenu>

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

TRecentFilesMenu::TRecentFilesMenu(QMenu& menu) : QObject(&menu), m_menu(menu) {}

void TRecentFilesMenu::Add(const QString& path) {
    m_list.Add(path);
    Rebuild();
}

void TRecentFilesMenu::Load(QSettings* store) {
    if (!store)
        return;
    m_list.Load(UserStore(*store).PreviousFiles());
    Rebuild();
}

void TRecentFilesMenu::Save(QSettings* store) const {
    if (!store)
        return;
    UserStore user(*store);
    user.SetPreviousFiles(m_list.Items());
    user.Sync();
}

void TRecentFilesMenu::Rebuild() {
    m_menu.clear();
    for (const QString& path : m_list.Items()) {
        QString caption = path;
        caption.replace(u'&', QStringLiteral("&&"));
        QAction* item = m_menu.addAction(caption);
        item->setData(path);
        connect(item, &QAction::triggered, this, [this, path] { emit OpenRequested(path); });
    }
}
