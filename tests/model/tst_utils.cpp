#include "model/AppPaths.h"
#include "model/TextCodec.h"
#include "model/Utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

class TestUtils : public QObject {
    Q_OBJECT
private slots:
    void collapseBlanks_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("blanks around and between")
            << QByteArray("  Ivan   Petrenko  ") << QByteArray("Ivan Petrenko");
        QTest::newRow("control characters at the ends") << QByteArray("\t\r\nA B\x01") << QByteArray("A B");
        QTest::newRow("tab inside stays") << QByteArray("A\t\tB") << QByteArray("A\t\tB");
        QTest::newRow("only blanks") << QByteArray("   ") << QByteArray();
        QTest::newRow("cyrillic") << QByteArray("\xC8\xE2\xE0\xED  \xC8")
                                  << QByteArray("\xC8\xE2\xE0\xED \xC8");
    }
    void collapseBlanks() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(CollapseBlanks(QByteArrayView(text)), expected);
        QCOMPARE(CollapseBlanks(QStringView(TextCodec::FromCp1251(text))), TextCodec::FromCp1251(expected));
    }

    void names() {
        QCOMPARE(ComputerNameFromHost("pupil-pc07.school.lan"), QByteArray("PUPIL-PC07"));
        QCOMPARE(ComputerNameFromHost("a-very-long-host-name-indeed"), QByteArray("A-VERY-LONG-HOS"));
        QCOMPARE(LoginNameFrom("fifteen_chars15"), QByteArray("fifteen_chars15"));
        QCOMPARE(LoginNameFrom("sixteen_chars_16"), QByteArray());
        QCOMPARE(IfThenStr(true, QByteArray("a"), QByteArray("b")), QByteArray("a"));
        QCOMPARE(IfThenStr(false, QByteArray("a"), QByteArray("b")), QByteArray("b"));
    }

    // The help page beside the program (a build tree, a portable copy) wins; an installed program
    // finds it in share/quizarstudent beside its bin folder.
    void helpFolder() {
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("usr/bin"));
        const QString share = root.filePath(QStringLiteral("usr/share/quizarstudent"));
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(share));
        QCOMPARE(AppPaths::HelpFolder(bin), bin);
        const auto touch = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly);
        };
        QVERIFY(touch(share + QStringLiteral("/Help.html")));
        QCOMPARE(AppPaths::HelpFolder(bin), share);
        QVERIFY(touch(bin + QStringLiteral("/Help.chm")));
        QCOMPARE(AppPaths::HelpFolder(bin), bin);
    }

    void fileVersion() {
        QCOMPARE(GetFileVersionStr(QCoreApplication::applicationFilePath()), QString(QUIZAR_VERSION));
        QTemporaryFile plain;
        QVERIFY(plain.open());
        // A file that mentions the tag without our marker around it has no version.
        plain.write(QByteArray(5000, 'x') + QByteArray("Quizar") + QByteArray("FileVersion:9.9.9.9"));
        plain.flush();
        QCOMPARE(GetFileVersionStr(plain.fileName()), QString("0.0.0.0"));
        QCOMPARE(GetFileVersionStr("/nonexistent/file"), QString("0.0.0.0"));
    }
};

QTEST_GUILESS_MAIN(TestUtils)
#include "tst_utils.moc"
