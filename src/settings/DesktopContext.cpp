#include "DesktopContext.h"

#include <QCoreApplication>

DesktopContext DesktopContext::ForThisProgram() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    return {XdgFolders::FromEnvironment(env), QCoreApplication::applicationFilePath(), ProcessRunner(env)};
}
