#pragma once
// What the association and shortcut pages of the settings dialog need from outside: the prompts
// for their messages, the user's desktop folders, the program file they point to, and the runner
// of the desktop's helper programs. Tests fill it with temporary folders and scripted prompts.
#include "settings/CommandRunner.h"
#include "settings/XdgFolders.h"

#include <QString>

class Prompts;

struct DesktopPageServices {
    Prompts* prompts = nullptr;
    XdgFolders folders;
    // The full path of the running program file.
    QString programPath;
    CommandRunner run;

    // The running program: its own environment and file, helper programs run for real.
    static DesktopPageServices ForThisProgram(Prompts& prompts);
};
