#include "MetafileWriter.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestPackText : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QByteArray Run(const QStringList& args, int& exitCode) {
        QProcess p;
        p.start(QStringLiteral(QUIZAR_PACK), args);
        p.waitForFinished(60000);
        exitCode = p.exitCode();
        return p.readAllStandardOutput();
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }

private slots:
    void printsVisibleTextAsUtf8_data() {
        QTest::addColumn<QByteArray>("fragment");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("rtf") << QByteArray(
                                    "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 "
                                    "{\\b \\'cf\\'f0\\'e8}\\'e2\\'e5\\'f2\\par \\'ec\\'e8\\'f0\\par}")
                             << u"Привет\nмир\n"_qs.toUtf8();
        QTest::newRow("plain cp1251") << QByteArray("  \xcf\xf0\xe8\r\nx  ") << u"При\nx\n"_qs.toUtf8();
        QTest::newRow("blank") << QByteArray("{\\rtf1 \\par }") << QByteArray();
        // A program that only reads text draws no pictures: a formula with text in it is no trouble.
        MfWrite::Wmf formula(QRect(0, 0, 100, 50), 96);
        formula.Font(-20, "Times New Roman").Select(0).TextOut(5, 5, "x");
        QTest::newRow("a formula picture has no text")
            << "{\\rtf1{\\fonttbl{\\f0\\fcharset2 Symbol;}}a{\\pict\\wmetafile8 " + formula.Bytes().toHex() +
                   "}{\\f0 \\'b3}b}"
            << QByteArray("a>b\n");
    }
    void printsVisibleTextAsUtf8() {
        QFETCH(QByteArray, fragment);
        QFETCH(QByteArray, output);
        int code = -1;
        QCOMPARE(Run({"text", Write("f.rtf", fragment)}, code), output);
        QCOMPARE(code, 0);
    }

    void errors() {
        int code = -1;
        Run({"text", m_dir.filePath("missing.rtf")}, code);
        QCOMPARE(code, 1);
        Run({"text"}, code);
        QCOMPARE(code, 2);
    }
};

QTEST_GUILESS_MAIN(TestPackText)
#include "tst_packtext.moc"
