#pragma once
// The files of the packaging folder that the program itself installs for the user: the test
// files' type and the icons, built into the program so that a copy that was never installed can
// still associate itself.
#include "model/Status.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace DesktopResources {

// The shared-mime-info package of the test files' type.
QByteArray MimePackage();

struct IconFile {
    QString resource;      // ":/desktop/icons/hicolor/48x48/apps/NAME.png"
    QString themeRelative; // "48x48/apps/NAME.png", the place under a theme's folder
};
// Every size of one icon ("apps" or "mimetypes" context), the scalable one included.
QList<IconFile> Icons(const QString& context, const QString& name);

// Copies every size of an icon under <dataHome>/icons/hicolor; stops at the first failure.
Status InstallIcon(const QString& dataHome, const QString& context, const QString& name);

} // namespace DesktopResources
