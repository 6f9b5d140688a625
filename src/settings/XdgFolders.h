#pragma once
// The folders of the freedesktop base-directory and user-directory rules, read from an environment
// given by the caller: the program passes its own, tests pass one that points into temporary
// folders, so nothing here ever reads the real home folder behind a test's back.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct XdgFolders {
    QString home;
    // The user's data and configuration folders ($XDG_DATA_HOME, $XDG_CONFIG_HOME).
    QString dataHome;
    QString configHome;
    // The system's folders, most important first ($XDG_DATA_DIRS, $XDG_CONFIG_DIRS).
    QStringList dataDirs;
    QStringList configDirs;
    // The names in $XDG_CURRENT_DESKTOP, in lower case, for the desktop-specific lists of default
    // applications.
    QStringList currentDesktops;
    // The environment the folders came from, for the programs that are run on them.
    QProcessEnvironment environment;

    // Unset, empty and relative values fall back to the standard defaults.
    static XdgFolders FromEnvironment(const QProcessEnvironment& env);

    // The user's data folder first, then the system's.
    QStringList DataSearchPath() const;
    QStringList ConfigSearchPath() const;

    // XDG_DESKTOP_DIR from $XDG_CONFIG_HOME/user-dirs.dirs, or ~/Desktop when that file does not
    // name one. The folder is not created.
    QString DesktopFolder() const;
};
