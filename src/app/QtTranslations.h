#pragma once
// Qt's own texts (the file dialog, the standard buttons of message boxes) in the program's
// language instead of English.
#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

// Installs Qt's catalogue for the first of the user's languages that Qt translates, falling back to
// Ukrainian, the language of the program's own texts (an English desktop therefore still gets
// Ukrainian buttons beside the Ukrainian menus). `folder` holds the catalogues (Qt's translation
// folder by default). Returns the language installed ("uk", "ru", ...), empty when none could be.
QString InstallQtTranslations(QCoreApplication& app, QTranslator& translator, const QLocale& locale,
                              const QString& folder = {});
