// Qt's own buttons and dialogs speak the program's language.
#include "app/QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

class TestQtTranslations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFileInfo::exists(folder + QStringLiteral("/qtbase_uk.qm")))
            QSKIP("Qt's translations are not installed (./dev installs qt6-translations-l10n)");
    }

    void buttonsInTheUsersLanguage_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("Ukrainian desktop") << "uk_UA"
                                           << "uk"
                                           << "Скасувати";
        QTest::newRow("Russian desktop") << "ru_RU"
                                         << "ru"
                                         << "Отмена";
        // The program's own texts are Ukrainian: an English desktop gets Ukrainian buttons too.
        QTest::newRow("English desktop") << "en_US"
                                         << "uk"
                                         << "Скасувати";
    }
    void buttonsInTheUsersLanguage() {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QFETCH(QString, cancel);
        QTranslator translator;
        QCOMPARE(InstallQtTranslations(*qApp, translator, QLocale(locale)), language);
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), cancel);
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
