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
    // An installed program keeps the user's files in the user's folder even where it could write
    // beside itself (run by the administrator).
    const bool installed = HelpFolder(exeDir) != exeDir;
    if (info.isDir() && info.isWritable() && !installed) {
        p.programFolder = exeDir;
    } else {
        p.programFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(p.programFolder);
    }
    p.tempFolder = QDir::tempPath();
    p.journalFolder = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                          .filePath(QStringLiteral("journal"));
    return p;
}

QString AppPaths::HelpFolder(const QString& executableFolder) {
    const QDir beside(executableFolder);
    if (beside.exists(QStringLiteral("Help.chm")) || beside.exists(QStringLiteral("Help.html")))
        return executableFolder;
    const QString installed = QDir::cleanPath(beside.filePath(QStringLiteral(QUIZAR_INSTALLED_DATA)));
    if (QDir(installed).exists(QStringLiteral("Help.html")))
        return installed;
    return executableFolder;
}
