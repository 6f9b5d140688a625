#pragma once
#include <QString>

class QWidget;

struct FolderChoice {
    bool Chosen = false;
    QString Path;
};

// The system folder picker, owned by `owner`; folders only. Cancelled: not chosen, empty path.
FolderChoice BrowseForFolder(QWidget* owner, const QString& start = {});
