#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString AppPaths::ExecutableFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return QDir::cleanPath(dir);
}

AppPaths AppPaths::Default() {
    AppPaths p;
    const QString exeDir = ExecutableFolder();
    const QFileInfo info(exeDir);
    if (info.isDir() && info.isWritable()) {
        p.programFolder = exeDir;
    } else {
        p.programFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(p.programFolder);
    }
    p.tempFolder = QDir::tempPath();
    return p;
}
