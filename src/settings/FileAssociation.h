#pragma once
// The association of test files with this program file, for the current user, in the desktop's
// own terms: the test files' type (a shared-mime-info package that knows the extension and the
// files' first bytes, with its description and icon name), an entry that opens a test file with
// this very program file, that entry as the user's default application for the type, and the
// type's icon in the hicolor theme. Nothing needs the administrator: every file lies in the
// user's data and configuration folders.
#include "DesktopContext.h"
#include "model/Status.h"

#include <QByteArray>
#include <QString>

// What the check found first; Associated when every fact holds.
enum class AssociationFact {
    Associated,
    TypeUnknown,        // the extension does not give the test files' type
    DescriptionDiffers, // the type's description is not ours
    NotDefault,         // the user's default application for the type is not our entry
    CommandDiffers,     // our entry does not open test files with this program file
    IconMissing,        // the type's icon is not in the icon theme
};

class FileAssociation {
public:
    explicit FileAssociation(DesktopContext context);

    // The facts in the order above; the first that does not hold is the answer.
    AssociationFact Check() const;
    bool IsAssociated() const { return Check() == AssociationFact::Associated; }

    // Writes the type's package and makes it active, our entry, the default application and the
    // icons, in that order. The first failure stops the rest (what was written before it stays)
    // and is returned.
    Status WriteAssociation() const;

    // Tells the desktop that the associations changed (refreshes the cache of the user's
    // applications folder). Failures are not reported: the cache only speeds up look-ups.
    void NotifyAssociationChanged() const;

    // What the check reads, for the window and for tests.
    QString TypeOfExtension() const;
    QString TypeDescription() const;
    // The entry that the user's lists name as the default application of the type, or empty.
    QString DefaultApplication() const;

    // What is written.
    QString HandlerExec() const;
    QByteArray HandlerEntry() const;
    QString MimePackagePath() const;
    QString HandlerEntryPath() const;
    QString MimeAppsPath() const;

private:
    QString FindDesktopEntry(const QString& id) const;
    bool IconInPlace() const;

    DesktopContext m_c;
};

// A list of default applications (mimeapps.list) with `desktopId` as the default for `mimeType`,
// also first among the type's added associations and no longer among its removed ones; every
// other line stays as it was.
QByteArray WithDefaultApplication(QByteArrayView mimeApps, const QString& mimeType, const QString& desktopId);
