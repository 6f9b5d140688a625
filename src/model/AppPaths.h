#pragma once
// Roots of every path the program touches, injectable so that tests run in temporary folders.
#include <QString>

struct AppPaths {
    // Where the settings file, the results log and the protected results file live.
    QString programFolder;
    // Root under which each loaded test gets its folder of attached files.
    QString tempFolder;
    // Where a running session keeps its journal; empty for none.
    QString journalFolder;

    // The program's folder when the user may write there (a portable copy, a build tree),
    // otherwise the per-user data folder; the temporary folder of the environment; the journals
    // always in the per-user data folder (they belong to the user, not to a copy of the program).
    static AppPaths Default();
    // The folder of the running executable.
    static QString ExecutableFolder();
    // Where the help page lies: beside the executable (a build tree, a portable copy), or else in
    // the installed program's data folder (share/quizarstudent beside the bin folder).
    static QString HelpFolder(const QString& executableFolder = ExecutableFolder());
};
