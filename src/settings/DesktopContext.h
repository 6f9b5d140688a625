#pragma once
// What the association and the shortcuts act on: the user's desktop folders, the program file
// they point to, and the runner of the desktop's helper programs. Tests make one over temporary
// folders; the program takes its own.
#include "CommandRunner.h"
#include "XdgFolders.h"

#include <QString>

struct DesktopContext {
    XdgFolders folders;
    // The full path of the program file that a test file or a shortcut starts.
    QString programPath;
    CommandRunner run;

    // The running program: its own environment and file, helper programs run for real.
    static DesktopContext ForThisProgram();
};
