#pragma once
// The names under which the program appears on the desktop, in one place: the test files' type,
// its icon, and the files that the association and the shortcuts write for the user.
#include <QString>

namespace DesktopNames {

// The test files' type, recognised by the extension and by the files' first bytes.
inline const QString TestFileType = QStringLiteral("application/x-quizar3-test");
inline const QString TestFileExtension = QStringLiteral(".qzf");
inline const QString TestFileDescription = QStringLiteral("Quizar3 Компьютерные тесты");
// The package file of the type under <data>/mime/packages.
inline const QString MimePackage = QStringLiteral("quizar3-test.xml");

// Icons of the hicolor theme: the test files' icon is named after their type.
inline const QString TestFileIcon = QStringLiteral("application-x-quizar3-test");
inline const QString ProgramIcon = QStringLiteral("org.quizar3.QuizarStudent");
inline const QString ProgramName = QStringLiteral("QuizarStudent");

// The user's own entry that opens test files with this program file (it stays out of the menus).
inline const QString HandlerEntry = QStringLiteral("quizar3-open.desktop");

// The shortcut file, on the desktop and in the menu's "Quizar3" folder.
inline const QString ShortcutFile = QStringLiteral("QuizarStudent.desktop");
inline const QString MenuFolder = QStringLiteral("Quizar3");
// The menu's entry lies in <data>/applications/Quizar3/, which gives it this identifier.
inline const QString MenuEntryId = QStringLiteral("Quizar3-QuizarStudent.desktop");
inline const QString MenuDirectoryFile = QStringLiteral("Quizar3.directory");
inline const QString MenuFile = QStringLiteral("Quizar3.menu");

} // namespace DesktopNames
