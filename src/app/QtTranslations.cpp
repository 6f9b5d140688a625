#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QString InstallQtTranslations(QCoreApplication& app, QTranslator& translator, const QLocale& locale,
                              const QString& folder) {
    const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    QStringList languages = locale.uiLanguages();
    languages.append(QStringLiteral("uk"));
    for (const QString& language : languages) {
        // "qtbase_uk_UA" falls back to "qtbase_uk" by itself. The English catalogue is empty: Qt
        // speaks English without one, and the program does not.
        const QString name = QLocale(language).name();
        if (translator.load(QStringLiteral("qtbase_") + name, where) && !translator.isEmpty()) {
            app.installTranslator(&translator);
            return name.section(u'_', 0, 0);
        }
    }
    return {};
}
