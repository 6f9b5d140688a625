#include "model/DateTime.h"
#include "model/TextCodec.h"
#include "results/ResultFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run Pack(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(QUIZAR_PACK), args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

TResultTest Record(const QString& name, double score) {
    TResultTest r(2);
    r.UserName = TextCodec::ToCp1251(name);
    r.UserGroup = "10 \xC0";
    r.TestTitle = "Quotes \"and\", commas";
    r.TestFileName = "/t/a.qzf";
    r.TestCrc = 0x0A0B0C0D;
    r.StartTime = DateTimeToDouble(QDateTime(QDate(2026, 12, 8), QTime(9, 15, 2)));
    r.EndTime = r.RecordedTime = DateTimeToDouble(QDateTime(QDate(2026, 12, 8), QTime(9, 20, 0)));
    r.ElapsedSeconds = 298;
    r.TaskPoints = {3, 0};
    r.TaskAnswers = {"\xE4\xE0", "line\r\nbreak"}; // "да"
    r.EndReason = 1;
    r.MarkName = "=SUM(A1)";
    r.AskCount = r.AskedCount = 2;
    r.RightCount = 1;
    r.WrongCount = 1;
    r.MaxScore = 5;
    r.Score = score;
    return r;
}
} // namespace

class TestPackResults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath("r.qzpr");
        QVERIFY(AppendProtectedResult(m_file, Record(u"Петренко Петро"_qs, 3)).Ok());
        QVERIFY(AppendProtectedResult(m_file, Record(u"Second"_qs, -0.5)).Ok());
    }

    void json() {
        const Run run = Pack({"results", m_file});
        QCOMPARE(run.exitCode, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray records = doc.array();
        QCOMPARE(records.size(), 2);
        const QJsonObject first = records[0].toObject();
        QCOMPARE(first["UserName"].toString(), u"Петренко Петро"_qs);
        QCOMPARE(first["UserGroup"].toString(), u"10 А"_qs);
        QCOMPARE(first["TestCrc"].toString(), u"0A0B0C0D"_qs);
        QCOMPARE(first["StartTimeText"].toString(), u"08.12.2026 09:15:02"_qs);
        QCOMPARE(first["StartTime"].toDouble(), Record({}, 0).StartTime);
        QCOMPARE(first["TaskAnswers"].toArray()[0].toString(), u"да"_qs);
        QCOMPARE(first["TaskAnswers"].toArray()[1].toString(), u"line\r\nbreak"_qs);
        QCOMPARE(first["TaskPoints"].toArray().size(), 2);
        QCOMPARE(records[1].toObject()["Score"].toDouble(), -0.5);
        // Every stored field, in the record's own order.
        const QByteArray text = run.out;
        qsizetype at = 0;
        for (const char* name :
             {"UserName",      "UserGroup",       "ComputerName",   "LoginName",    "Reserved1",
              "StartTime",     "EndTime",         "ElapsedSeconds", "RecordedTime", "TestTitle",
              "TestFileName",  "TestCrc",         "TestUId",        "TaskPoints",   "TaskSeconds",
              "TaskAnswers",   "TaskHintPenalty", "EndReason",      "Mark",         "MarkName",
              "MarkCount",     "AskCount",        "AskedCount",     "RightCount",   "WrongCount",
              "DontKnowCount", "HintCount",       "MaxScore",       "Score",        "Reserved2"}) {
            const qsizetype next = text.indexOf("\"" + QByteArray(name) + "\":", at);
            QVERIFY2(next > at || (at == 0 && next >= 0), name);
            at = next;
        }
    }

    void csv() {
        const Run run = Pack({"results", m_file, "--csv"});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> rows = run.out.split('\n');
        QCOMPARE(rows.size(), 4); // header, two records, nothing after the last line end
        QVERIFY(rows[0].startsWith("\xEF\xBB\xBFname,group,computer,login,test title,file,start,end,"));
        // The source is UTF-8, as the tool's output is.
        QCOMPARE(rows[1],
                 QByteArray("Петренко Петро,10 А,,,\"Quotes \"\"and\"\", commas\",/t/a.qzf,"
                            "08.12.2026 09:15:02,08.12.2026 09:20:00,298,2,1,1,0,0,3,5,0,'=SUM(A1),1\r"));
        QVERIFY(rows[2].contains(",-0.5,5,"));
    }

    void unreadableFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("other file") << QByteArray("PK\x03\x04 not ours") << "not a protected results file";
        QTest::newRow("damaged") << QByteArray("QuizarProtectionResult\x78\xDA garbage") << "compressed";
    }
    void unreadableFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = m_dir.filePath("bad.qzpr");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        const Run run = Pack({"results", path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
    }

    void missingFileAndUsage() {
        QCOMPARE(Pack({"results", m_dir.filePath("none.qzpr")}).exitCode, 1);
        QCOMPARE(Pack({"results"}).exitCode, 2);
        QCOMPARE(Pack({"results", m_file, "--xml"}).exitCode, 2);
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_GUILESS_MAIN(TestPackResults)
#include "tst_packresults.moc"
