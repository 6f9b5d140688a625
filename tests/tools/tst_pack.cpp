#include "TestJson.h"
#include "model/TextCodec.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {
struct Run {
    int exitCode;
    QByteArray out;
    QString err;
};

// `fileSizeLimit` > 0 runs the tool as on a full disk: its files cannot grow past that many bytes.
Run Pack(const QStringList& args, qint64 fileSizeLimit = 0) {
    QProcess p;
    if (fileSizeLimit > 0)
        p.setChildProcessModifier([fileSizeLimit] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit fsize{};
            ::getrlimit(RLIMIT_FSIZE, &fsize);
            fsize.rlim_cur = rlim_t(fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &fsize);
        });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    p.setProcessEnvironment(env);
    p.start(QUIZAR_PACK, args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromLocal8Bit(p.readAllStandardError())};
}
} // namespace

class TestPack : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }

private slots:
    void dumpThenBuildGivesTheSameTest() {
        const QString first = m_dir.filePath("first.qzf");
        QCOMPARE(Pack({"build", QUIZAR_SAMPLE_SOURCE, "-o", first}).exitCode, 0);
        const QString att = m_dir.filePath("att");
        const Run dump1 = Pack({"dump", first, "--attachments", att});
        QCOMPARE(dump1.exitCode, 0);
        QVERIFY(QFileInfo::exists(att + "/map.png"));
        const QString json = Write("att/dumped.json", dump1.out);
        const QString second = m_dir.filePath("second.qzf");
        const Run build = Pack({"build", json, "-o", second});
        QVERIFY2(build.exitCode == 0, qPrintable(build.err));
        const Run dump2 = Pack({"dump", second});
        QCOMPARE(dump2.out, dump1.out);

        const QJsonObject o = QJsonDocument::fromJson(dump1.out).object();
        QCOMPARE(o["Tasks"].toArray().size(), 8);
        QCOMPARE(o["Crc"].toString().size(), 8);
        QCOMPARE(o["Crc"].toString(), o["Crc"].toString().toUpper());
        QCOMPARE(o["Tasks"].toArray()[7].toObject()["Area"].toObject()["Width"].toInt(), 100);
        QCOMPARE(o["Tasks"].toArray()[6].toObject()["TextAnswers"].toString(),
                 QStringLiteral("Київ\r\nКиев\r\nKyiv"));
        QCOMPARE(o["TotalAskCount"].toInt(), 8); // topics on, none limited: every task is asked
    }

    void missingKeysTakeTheDefaults() {
        QString error;
        TestSource src;
        QVERIFY(TestFromJson(QJsonDocument::fromJson(R"({"Title": "x", "Tasks": [{"Kind": 2}]})").object(),
                             m_dir.path(), src, error));
        QCOMPARE(src.Test->Marks, TTest::DefaultMarks());
        QCOMPARE(src.Test->ThemeCount(), 1);
        QVERIFY(src.Test->AllowSendResults && src.Test->WholeAnswerOnly);
        QCOMPARE(src.Tasks.size(), size_t(1));
        QCOMPARE(src.Tasks[0].Weight, 1);
        QCOMPARE(src.Tasks[0].Kind, quint8(MultipleChoice));
    }

    void badSourcesNameTheKey_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("key");
        QTest::newRow("unknown top-level key") << QByteArray(R"({"Titel": "x"})") << "Titel";
        QTest::newRow("wrong type") << QByteArray(R"({"MaxRuns": "3"})") << "MaxRuns";
        QTest::newRow("fraction for an integer") << QByteArray(R"({"MaxRuns": 1.5})") << "MaxRuns";
        QTest::newRow("unknown task key")
            << QByteArray(R"({"Tasks": [{"Kind": 1, "Answer": 1}]})") << "Tasks[0].Answer";
        QTest::newRow("eleven variants")
            << QByteArray(R"({"Tasks": [{"Variants": ["1","2","3","4","5","6","7","8","9","10","11"]}]})")
            << "Tasks[0].Variants";
        QTest::newRow("text outside code page 1251") << QByteArray(R"({"Author": "中"})") << "Author";
        QTest::newRow("mark as a number") << QByteArray(R"({"Marks": [3]})") << "Marks[0]";
        QTest::newRow("unsafe attachment name")
            << QByteArray(R"({"Attachments": [{"Name": "../x"}]})") << "Attachments[0].Name";
        QTest::newRow("missing attachment file")
            << QByteArray(R"({"Attachments": [{"Name": "nope.png"}]})") << "Attachments[0]";
    }
    void badSourcesNameTheKey() {
        QFETCH(QByteArray, json);
        QFETCH(QString, key);
        QString error;
        TestSource src;
        QVERIFY(!TestFromJson(QJsonDocument::fromJson(json).object(), m_dir.path(), src, error));
        QVERIFY2(error.contains(key), qPrintable(error));
    }

    void unreadableFilesFailWithTheLoadersMessage() {
        const Run notATest = Pack({"dump", Write("junk.qzf", "not a test at all")});
        QVERIFY(notATest.exitCode != 0);
        QVERIFY2(notATest.err.contains(u"Неправильний тип файлу з тестом!"), qPrintable(notATest.err));
        QVERIFY(notATest.out.isEmpty());
        const Run missing = Pack({"dump", m_dir.filePath("absent.qzf")});
        QVERIFY(missing.exitCode != 0);
        QVERIFY(Pack({"frobnicate"}).exitCode != 0);
        const Run badJson = Pack({"build", Write("bad.json", "{ nope"), "-o", m_dir.filePath("x.qzf")});
        QVERIFY(badJson.exitCode != 0);
        QVERIFY(!QFileInfo::exists(m_dir.filePath("x.qzf")));
    }

    void fullDiskKeepsTheOldTest() {
        const QString out = Write("kept.qzf", "the old test");
        const Run full = Pack({"build", QUIZAR_SAMPLE_SOURCE, "-o", out}, 512);
        QVERIFY(full.exitCode != 0);
        QVERIFY2(full.err.contains(out), qPrintable(full.err));
        QFile kept(out);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("the old test"));
    }
};

QTEST_GUILESS_MAIN(TestPack)
#include "tst_pack.moc"
