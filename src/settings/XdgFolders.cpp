#include "XdgFolders.h"

#include <QDir>
#include <QFile>

namespace {

// An absolute path, or empty: the base-directory rules tell programs to ignore relative ones.
QString AbsoluteOrEmpty(const QString& value) {
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

QStringList PathList(const QString& value, const QStringList& fallback) {
    QStringList result;
    for (const QString& part : value.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString dir = AbsoluteOrEmpty(part);
        if (!dir.isEmpty() && !result.contains(dir))
            result.append(dir);
    }
    return result.isEmpty() ? fallback : result;
}

// One value of user-dirs.dirs: "$HOME/Path" or "/Path", in shell double quotes.
QString UserDirValue(const QString& quoted, const QString& home) {
    if (quoted.size() < 2 || !quoted.startsWith(QLatin1Char('"')) || !quoted.endsWith(QLatin1Char('"')))
        return {};
    QString value;
    const QString inner = quoted.mid(1, quoted.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == QLatin1Char('\\') && i + 1 < inner.size())
            ++i;
        value.append(inner[i]);
    }
    if (value == QLatin1String("$HOME"))
        return home;
    if (value.startsWith(QLatin1String("$HOME/")))
        return QDir::cleanPath(home + value.mid(5));
    return AbsoluteOrEmpty(value);
}

} // namespace

XdgFolders XdgFolders::FromEnvironment(const QProcessEnvironment& env) {
    XdgFolders f;
    f.environment = env;
    f.home = QDir::cleanPath(env.value(QStringLiteral("HOME"), QDir::homePath()));
    f.dataHome = AbsoluteOrEmpty(env.value(QStringLiteral("XDG_DATA_HOME")));
    if (f.dataHome.isEmpty())
        f.dataHome = f.home + QStringLiteral("/.local/share");
    f.configHome = AbsoluteOrEmpty(env.value(QStringLiteral("XDG_CONFIG_HOME")));
    if (f.configHome.isEmpty())
        f.configHome = f.home + QStringLiteral("/.config");
    f.dataDirs = PathList(env.value(QStringLiteral("XDG_DATA_DIRS")),
                          {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    f.configDirs = PathList(env.value(QStringLiteral("XDG_CONFIG_DIRS")), {QStringLiteral("/etc/xdg")});
    for (const QString& name :
         env.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        f.currentDesktops.append(name.toLower());
    return f;
}

QStringList XdgFolders::DataSearchPath() const {
    return QStringList{dataHome} + dataDirs;
}

QStringList XdgFolders::ConfigSearchPath() const {
    return QStringList{configHome} + configDirs;
}

QString XdgFolders::DesktopFolder() const {
    QFile file(configHome + QStringLiteral("/user-dirs.dirs"));
    QString folder;
    if (file.open(QIODevice::ReadOnly)) {
        // Shell assignments; the last one of the name counts, as when the shell reads the file.
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (!line.startsWith(QLatin1String("XDG_DESKTOP_DIR=")))
                continue;
            const QString value = UserDirValue(line.mid(16).trimmed(), home);
            if (!value.isEmpty())
                folder = value;
        }
    }
    return folder.isEmpty() ? home + QStringLiteral("/Desktop") : folder;
}
