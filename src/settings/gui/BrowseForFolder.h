#pragma once
#include <QString>

class QWidget;

struct FolderChoice {
    bool chosen = false;
    QString path;
};

// The system folder picker, owned by `owner`; folders only. Cancelled: not chosen, empty path.
FolderChoice BrowseForFolder(QWidget* owner, const QString& start = {});
