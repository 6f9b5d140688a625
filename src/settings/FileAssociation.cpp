#include "FileAssociation.h"

#include "DesktopKeyFile.h"
#include "DesktopNames.h"
#include "DesktopResources.h"
#include "model/SafeFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <utility>

namespace {

const QString DesktopEntryGroup = QStringLiteral("Desktop Entry");
const QString DefaultGroup = QStringLiteral("Default Applications");
const QString AddedGroup = QStringLiteral("Added Associations");
const QString RemovedGroup = QStringLiteral("Removed Associations");

// The whole file, or nothing when it is missing or cannot be read.
QByteArray ReadAll(const QString& path, bool* readable = nullptr) {
    QFile file(path);
    const bool ok = file.open(QIODevice::ReadOnly);
    if (readable)
        *readable = ok;
    return ok ? file.readAll() : QByteArray();
}

Status MakeFolder(const QString& path) {
    if (QDir().mkpath(path))
        return {};
    return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot create the folder %1").arg(path));
}

struct GlobMatch {
    int weight = -1;
    qsizetype patternLength = 0;
    QString type;
};

} // namespace

FileAssociation::FileAssociation(DesktopContext context) : m_c(std::move(context)) {}

QString FileAssociation::TypeOfExtension() const {
    // The glob lists of every MIME database, the user's first. The best match is the one of the
    // highest weight, then of the longest pattern; a "__NOGLOBS__" line of a database drops the
    // globs of that type from the databases after it.
    const QString sample = QStringLiteral("test") + DesktopNames::TestFileExtension;
    GlobMatch best;
    QStringList cleared;
    for (const QString& dir : m_c.folders.DataSearchPath()) {
        QStringList clearedHere;
        for (const QByteArray& raw : ReadAll(dir + QStringLiteral("/mime/globs2")).split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QStringList fields = line.split(QLatin1Char(':'));
            if (fields.size() < 3)
                continue;
            const QString& type = fields[1];
            const QString& pattern = fields[2];
            if (pattern == QLatin1String("__NOGLOBS__")) {
                clearedHere.append(type);
                continue;
            }
            if (cleared.contains(type))
                continue;
            const bool caseSensitive = fields.size() > 3 && fields[3].split(QLatin1Char(',')).contains(u"cs");
            const QRegularExpression glob = QRegularExpression::fromWildcard(
                pattern, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
            if (!glob.match(sample).hasMatch())
                continue;
            const int weight = fields[0].toInt();
            if (weight > best.weight || (weight == best.weight && pattern.size() > best.patternLength))
                best = {weight, pattern.size(), type};
        }
        cleared += clearedHere;
    }
    return best.type;
}

QString FileAssociation::TypeDescription() const {
    for (const QString& dir : m_c.folders.DataSearchPath()) {
        QFile file(dir + QStringLiteral("/mime/") + DesktopNames::TestFileType + QStringLiteral(".xml"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // The first database that describes the type decides; its untranslated comment is the
        // description.
        QXmlStreamReader xml(&file);
        if (xml.readNextStartElement() && xml.name() == u"mime-type") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"comment" && !xml.attributes().hasAttribute(QStringLiteral("xml:lang")))
                    return xml.readElementText();
                xml.skipCurrentElement();
            }
        }
        return {};
    }
    return {};
}

QString FileAssociation::FindDesktopEntry(const QString& id) const {
    for (const QString& dir : m_c.folders.DataSearchPath()) {
        const QString apps = dir + QStringLiteral("/applications");
        if (QFileInfo(apps + QLatin1Char('/') + id).isFile())
            return apps + QLatin1Char('/') + id;
        // An entry in a subfolder has the folder names in its identifier ("Quizar3/A.desktop" is
        // "Quizar3-A.desktop").
        QDirIterator it(apps, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (QDir(apps).relativeFilePath(path).replace(QLatin1Char('/'), QLatin1Char('-')) == id)
                return path;
        }
    }
    return {};
}

QString FileAssociation::DefaultApplication() const {
    // The lists in the order of the desktop's rules: the configuration folders, then the data
    // folders' applications folders; in each, the current desktops' own lists before the common
    // one. The first list that names an installed entry for the type decides.
    QStringList lists;
    const auto addLists = [&](const QString& folder, bool withDefaults) {
        for (const QString& desktop : m_c.folders.currentDesktops)
            lists.append(folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list"));
        lists.append(folder + QStringLiteral("/mimeapps.list"));
        if (withDefaults)
            lists.append(folder + QStringLiteral("/defaults.list"));
    };
    for (const QString& dir : m_c.folders.ConfigSearchPath())
        addLists(dir, false);
    for (const QString& dir : m_c.folders.DataSearchPath())
        addLists(dir + QStringLiteral("/applications"), true);
    for (const QString& list : lists) {
        if (!QFileInfo(list).isFile())
            continue;
        const DesktopKeyFile file = DesktopKeyFile::Parse(ReadAll(list));
        for (const QString& id : file.ListValue(DefaultGroup, DesktopNames::TestFileType))
            if (!FindDesktopEntry(id).isEmpty())
                return id;
    }
    return {};
}

bool FileAssociation::IconInPlace() const {
    for (const QString& dir : m_c.folders.DataSearchPath()) {
        const QString theme = dir + QStringLiteral("/icons/hicolor/");
        if (QFileInfo::exists(theme + QStringLiteral("scalable/mimetypes/") + DesktopNames::TestFileIcon +
                              QStringLiteral(".svg")) ||
            QFileInfo::exists(theme + QStringLiteral("48x48/mimetypes/") + DesktopNames::TestFileIcon +
                              QStringLiteral(".png")))
            return true;
    }
    return false;
}

AssociationFact FileAssociation::Check() const {
    if (TypeOfExtension() != DesktopNames::TestFileType)
        return AssociationFact::TypeUnknown;
    if (TypeDescription() != DesktopNames::TestFileDescription)
        return AssociationFact::DescriptionDiffers;
    if (DefaultApplication() != DesktopNames::HandlerEntry)
        return AssociationFact::NotDefault;
    const DesktopKeyFile entry = DesktopKeyFile::Parse(ReadAll(FindDesktopEntry(DesktopNames::HandlerEntry)));
    if (entry.Value(DesktopEntryGroup, QStringLiteral("Exec")) != HandlerExec())
        return AssociationFact::CommandDiffers;
    if (!IconInPlace())
        return AssociationFact::IconMissing;
    return AssociationFact::Associated;
}

QString FileAssociation::HandlerExec() const {
    return QuoteExecArgument(m_c.programPath) + QStringLiteral(" %f");
}

QByteArray FileAssociation::HandlerEntry() const {
    DesktopKeyFile entry = DesktopKeyFile::Parse({});
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Type"), QStringLiteral("Application"));
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Version"), QStringLiteral("1.4"));
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Name"), DesktopNames::ProgramName);
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Exec"), HandlerExec());
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Icon"), DesktopNames::ProgramIcon);
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Terminal"), QStringLiteral("false"));
    // It opens files; the menus get their entry from the shortcuts or the installed package.
    entry.SetValue(DesktopEntryGroup, QStringLiteral("NoDisplay"), QStringLiteral("true"));
    entry.SetListValue(DesktopEntryGroup, QStringLiteral("MimeType"), {DesktopNames::TestFileType});
    return entry.ToBytes();
}

QString FileAssociation::MimePackagePath() const {
    return m_c.folders.dataHome + QStringLiteral("/mime/packages/") + DesktopNames::MimePackage;
}

QString FileAssociation::HandlerEntryPath() const {
    return m_c.folders.dataHome + QStringLiteral("/applications/") + DesktopNames::HandlerEntry;
}

QString FileAssociation::MimeAppsPath() const {
    return m_c.folders.configHome + QStringLiteral("/mimeapps.list");
}

Status FileAssociation::WriteAssociation() const {
    // The type: its package, then the user's MIME database rebuilt from the packages.
    const QByteArray package = DesktopResources::MimePackage();
    if (package.isEmpty())
        return Status::Failed(Fault::NotFound,
                              QStringLiteral("the test files' type is not built into the program"));
    if (Status s = MakeFolder(QFileInfo(MimePackagePath()).absolutePath()); !s.Ok())
        return s;
    if (Status s = ReplaceFileContents(MimePackagePath(), package); !s.Ok())
        return s;
    const QString database = m_c.folders.dataHome + QStringLiteral("/mime");
    const CommandResult update = m_c.run(QStringLiteral("update-mime-database"), {database});
    if (!update.started)
        return Status::Failed(
            Fault::WriteFailed,
            QStringLiteral("update-mime-database could not be run (it comes with shared-mime-info)"));
    if (!update.Ok())
        return Status::Failed(Fault::WriteFailed,
                              QStringLiteral("update-mime-database %1 failed: %2")
                                  .arg(database, QString::fromUtf8(update.output).trimmed()));

    // The entry that opens a test file with this program file.
    if (Status s = MakeFolder(QFileInfo(HandlerEntryPath()).absolutePath()); !s.Ok())
        return s;
    if (Status s = ReplaceFileContents(HandlerEntryPath(), HandlerEntry()); !s.Ok())
        return s;

    // The entry as the user's default for the type.
    if (Status s = MakeFolder(m_c.folders.configHome); !s.Ok())
        return s;
    QByteArray list;
    if (QFileInfo::exists(MimeAppsPath())) {
        bool readable = false;
        list = ReadAll(MimeAppsPath(), &readable);
        if (!readable)
            return Status::Failed(Fault::ReadFailed, QStringLiteral("cannot read %1").arg(MimeAppsPath()));
    }
    if (Status s =
            ReplaceFileContents(MimeAppsPath(), WithDefaultApplication(list, DesktopNames::TestFileType,
                                                                       DesktopNames::HandlerEntry));
        !s.Ok())
        return s;
    // A desktop's own list comes before the common one; where it names a default for the type,
    // that default is replaced too.
    for (const QString& desktop : m_c.folders.currentDesktops) {
        const QString own =
            m_c.folders.configHome + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        const QByteArray ownList = ReadAll(own);
        if (DesktopKeyFile::Parse(ownList).RawValue(DefaultGroup, DesktopNames::TestFileType).isNull())
            continue;
        if (Status s = ReplaceFileContents(
                own, WithDefaultApplication(ownList, DesktopNames::TestFileType, DesktopNames::HandlerEntry));
            !s.Ok())
            return s;
    }

    // The type's icon, and the program's for the entry.
    if (Status s = DesktopResources::InstallIcon(m_c.folders.dataHome, QStringLiteral("mimetypes"),
                                                 DesktopNames::TestFileIcon);
        !s.Ok())
        return s;
    return DesktopResources::InstallIcon(m_c.folders.dataHome, QStringLiteral("apps"),
                                         DesktopNames::ProgramIcon);
}

void FileAssociation::NotifyAssociationChanged() const {
    m_c.run(QStringLiteral("update-desktop-database"),
            {QStringLiteral("-q"), m_c.folders.dataHome + QStringLiteral("/applications")});
}

QByteArray WithDefaultApplication(QByteArrayView mimeApps, const QString& mimeType,
                                  const QString& desktopId) {
    DesktopKeyFile file = DesktopKeyFile::Parse(mimeApps);
    file.SetValue(DefaultGroup, mimeType, desktopId);
    QStringList added = file.ListValue(AddedGroup, mimeType);
    added.removeAll(desktopId);
    added.prepend(desktopId);
    file.SetListValue(AddedGroup, mimeType, added);
    QStringList removed = file.ListValue(RemovedGroup, mimeType);
    if (removed.removeAll(desktopId) > 0) {
        if (removed.isEmpty())
            file.RemoveKey(RemovedGroup, mimeType);
        else
            file.SetListValue(RemovedGroup, mimeType, removed);
    }
    return file.ToBytes();
}
