#include "DesktopResources.h"

#include "model/SafeFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

// Outside any namespace: the macro declares the resource's own function.
static void InitResources() {
    // The resources sit in a static library; nothing would pull them in without this.
    static const bool done = [] {
        Q_INIT_RESOURCE(desktop);
        return true;
    }();
    (void)done;
}

namespace {

const QString IconRoot = QStringLiteral(":/desktop/icons/hicolor");

QByteArray Resource(const QString& path) {
    InitResources();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

namespace DesktopResources {

QByteArray MimePackage() {
    return Resource(QStringLiteral(":/desktop/quizar3-test.xml"));
}

QList<IconFile> Icons(const QString& context, const QString& name) {
    InitResources();
    QList<IconFile> icons;
    for (const QString& size : QDir(IconRoot).entryList(QDir::Dirs, QDir::Name)) {
        const QDir dir(IconRoot + QLatin1Char('/') + size + QLatin1Char('/') + context);
        for (const QString& file :
             dir.entryList({name + QStringLiteral(".png"), name + QStringLiteral(".svg")}, QDir::Files))
            icons.append({dir.filePath(file), size + QLatin1Char('/') + context + QLatin1Char('/') + file});
    }
    return icons;
}

Status InstallIcon(const QString& dataHome, const QString& context, const QString& name) {
    const QList<IconFile> icons = Icons(context, name);
    if (icons.isEmpty())
        return Status::Failed(Fault::NotFound,
                              QStringLiteral("no icon %1 is built into the program").arg(name));
    const QDir theme(dataHome + QStringLiteral("/icons/hicolor"));
    for (const IconFile& icon : icons) {
        const QString target = theme.filePath(icon.themeRelative);
        const QString folder = QFileInfo(target).absolutePath();
        if (!QDir().mkpath(folder))
            return Status::Failed(Fault::WriteFailed,
                                  QStringLiteral("cannot create the folder %1").arg(folder));
        if (Status s = ReplaceFileContents(target, Resource(icon.resource)); !s.Ok())
            return s;
    }
    return {};
}

} // namespace DesktopResources
