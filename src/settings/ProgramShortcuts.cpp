#include "ProgramShortcuts.h"

#include "DesktopKeyFile.h"
#include "DesktopNames.h"
#include "DesktopResources.h"
#include "model/SafeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

const QString DesktopEntryGroup = QStringLiteral("Desktop Entry");

QByteArray MenuXml() {
    // Merged into every desktop's applications menu; the entry is named by its identifier.
    return QStringLiteral("<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                          " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
                          "<Menu>\n"
                          "  <Name>Applications</Name>\n"
                          "  <Menu>\n"
                          "    <Name>%1</Name>\n"
                          "    <Directory>%2</Directory>\n"
                          "    <Include>\n"
                          "      <Filename>%3</Filename>\n"
                          "    </Include>\n"
                          "  </Menu>\n"
                          "</Menu>\n")
        .arg(DesktopNames::MenuFolder, DesktopNames::MenuDirectoryFile, DesktopNames::MenuEntryId)
        .toUtf8();
}

QByteArray MenuDirectoryEntry() {
    DesktopKeyFile entry = DesktopKeyFile::Parse({});
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Type"), QStringLiteral("Directory"));
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Version"), QStringLiteral("1.4"));
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Name"), DesktopNames::MenuFolder);
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Icon"), DesktopNames::ProgramIcon);
    return entry.ToBytes();
}

Status WriteIn(const QString& path, const QByteArray& bytes) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot create the folder %1").arg(folder));
    return ReplaceFileContents(path, bytes);
}

} // namespace

ProgramShortcuts::ProgramShortcuts(DesktopContext context) : m_c(std::move(context)) {}

QByteArray ProgramShortcuts::ShortcutEntry() const {
    QString folder = QFileInfo(m_c.programPath).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    DesktopKeyFile entry = DesktopKeyFile::Parse({});
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Type"), QStringLiteral("Application"));
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Version"), QStringLiteral("1.4"));
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Name"), DesktopNames::ProgramName);
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Exec"), QuoteExecArgument(m_c.programPath));
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Path"), folder);
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Icon"), DesktopNames::ProgramIcon);
    entry.SetValue(DesktopEntryGroup, QStringLiteral("Terminal"), QStringLiteral("false"));
    return entry.ToBytes();
}

QString ProgramShortcuts::DesktopShortcutPath() const {
    return m_c.folders.DesktopFolder() + QLatin1Char('/') + DesktopNames::ShortcutFile;
}

QString ProgramShortcuts::MenuShortcutPath() const {
    return m_c.folders.dataHome + QStringLiteral("/applications/") + DesktopNames::MenuFolder +
           QLatin1Char('/') + DesktopNames::ShortcutFile;
}

QString ProgramShortcuts::MenuDirectoryPath() const {
    return m_c.folders.dataHome + QStringLiteral("/desktop-directories/") + DesktopNames::MenuDirectoryFile;
}

QString ProgramShortcuts::MenuFilePath() const {
    return m_c.folders.configHome + QStringLiteral("/menus/applications-merged/") + DesktopNames::MenuFile;
}

Status ProgramShortcuts::WriteDesktopShortcut() const {
    const QString path = DesktopShortcutPath();
    const QByteArray entry = ShortcutEntry();
    // The desktop folder is the user's; a missing one is not made here.
    if (Status s = ReplaceFileContents(path, entry); !s.Ok())
        return s;
    if (!QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup |
                                         QFile::ExeOther))
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot make %1 executable").arg(path));
    // The program's icon, for the shortcut to show; without it the shortcut still works.
    (void)DesktopResources::InstallIcon(m_c.folders.dataHome, QStringLiteral("apps"),
                                        DesktopNames::ProgramIcon);
    // File managers that show the desktop ask before they start an entry they were not told to
    // trust; where gio or its metadata store is missing this does nothing.
    m_c.run(QStringLiteral("gio"),
            {QStringLiteral("set"), path, QStringLiteral("metadata::trusted"), QStringLiteral("true")});
    const QByteArray sum = QCryptographicHash::hash(entry, QCryptographicHash::Sha256).toHex();
    m_c.run(QStringLiteral("gio"),
            {QStringLiteral("set"), QStringLiteral("-t"), QStringLiteral("string"), path,
             QStringLiteral("metadata::xfce-exe-checksum"), QString::fromLatin1(sum)});
    return {};
}

Status ProgramShortcuts::WriteMenuShortcut() const {
    if (Status s = WriteIn(MenuShortcutPath(), ShortcutEntry()); !s.Ok())
        return s;
    if (Status s = WriteIn(MenuDirectoryPath(), MenuDirectoryEntry()); !s.Ok())
        return s;
    if (Status s = WriteIn(MenuFilePath(), MenuXml()); !s.Ok())
        return s;
    (void)DesktopResources::InstallIcon(m_c.folders.dataHome, QStringLiteral("apps"),
                                        DesktopNames::ProgramIcon);
    return {};
}
