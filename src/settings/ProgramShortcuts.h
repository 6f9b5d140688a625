#pragma once
// Shortcuts to this program file for the current user: a desktop entry "QuizarStudent.desktop"
// that starts the program by its full path in its own folder, on the desktop and in a "Quizar3"
// folder of the applications menu.
#include "DesktopContext.h"
#include "model/Status.h"

#include <QByteArray>
#include <QString>

class ProgramShortcuts {
public:
    explicit ProgramShortcuts(DesktopContext context);

    // The shortcut's content: the program by its full path, its folder as the working folder.
    QByteArray ShortcutEntry() const;

    // Writes the shortcut into the desktop folder, which must exist, makes it executable and asks
    // the file manager to trust it (desktops that show desktop entries as icons want both).
    Status WriteDesktopShortcut() const;
    // Writes the shortcut into <data>/applications/Quizar3/ (the folder is made first) and the
    // menu files that show it in a "Quizar3" folder of the applications menu.
    Status WriteMenuShortcut() const;

    QString DesktopShortcutPath() const;
    QString MenuShortcutPath() const;
    QString MenuDirectoryPath() const;
    QString MenuFilePath() const;

private:
    DesktopContext m_c;
};
