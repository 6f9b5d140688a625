#include "DesktopPageServices.h"

#include <QCoreApplication>

DesktopPageServices DesktopPageServices::ForThisProgram(Prompts& prompts) {
    DesktopPageServices s;
    s.prompts = &prompts;
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    s.folders = XdgFolders::FromEnvironment(env);
    s.programPath = QCoreApplication::applicationFilePath();
    s.run = ProcessRunner(env);
    return s;
}
