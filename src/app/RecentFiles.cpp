#include "RecentFiles.h"

#include "settings/UserStore.h"

#include <QAction>
#include <QMenu>

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
