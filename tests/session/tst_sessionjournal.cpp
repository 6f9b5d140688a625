// The journal file: what is written reads back, a half-written last record is cut off, anything
// else that does not hold refuses the whole journal, and a write that fails loses no step.
#include "session/SessionJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

JournalRecord Record(JournalStep step, qint64 wallMs = 1700000000000, qint32 elapsed = 0) {
    JournalRecord r;
    r.wallMs = wallMs;
    r.elapsedSeconds = elapsed;
    r.step = std::move(step);
    return r;
}

JournalBegin Begin() {
    JournalBegin b;
    b.testPath = QStringLiteral("/home/pupil/тести/алгебра.qzf");
    b.testCrc = 0xCAFEF00Du;
    b.testUId = "{11111111-2222-3333-4444-555555555555}";
    b.testTitle = "Algebra";
    b.testTimeLimit = 2400;
    b.marks = {{1, 0, "bad"}, {5, 85, "top"}};
    b.sessionId = "{ABCDEF01-2345-6789-ABCD-EF0123456789}";
    b.result = TResultTest(3);
    b.result.UserName = "Ivan";
    b.result.AskCount = 3;
    b.order = {2, 0, 1};
    return b;
}

// One record of every kind, as a session writes them.
QList<JournalRecord> Session() {
    TaskAnswer answer;
    answer.chosenRow = 1;
    answer.ticked = {true, false, true};
    answer.chosenIndex = {2, -1, 0};
    answer.text = "4,5";
    answer.point = QPoint(120, -45);
    JournalRecord present = Record(JournalPresent{0, {2, 0, 1}, 3}, 1700000000500, 0);
    present.clockTask = 2;
    present.clockTaskSeconds = -1;
    JournalFinish finish{TResultTest(3), {JournalOutput::ResultBlock, JournalOutput::ServerResult}};
    finish.result.EndReason = 2;
    finish.result.Score = -1.5;
    return {Record(Begin()),
            present,
            Record(JournalHint{2, 1}, 1700000001000, 1),
            Record(JournalMove{1, answer}, 1700000002000, 2),
            Record(JournalPresent{1, {}, 1}, 1700000002000, 2),
            Record(JournalCheck{1, 0, true, answer, {"4,5", 0, -1.5, 4, 0, 1, 0, 1}}, 1700000003000, 3),
            Record(JournalClock{}, 1700000005000, 5),
            Record(JournalCheck{2, 1, false, {}, {{}, 0, -1.5, 5, 0, 1, 1, 1}}, 1700000006000, 6),
            Record(JournalEnd{TestEnd::Stopped, answer}, 1700000007000, 7),
            Record(finish, 1700000007000, 7),
            Record(JournalOutputMark{JournalOutput::ResultBlock, false}),
            Record(JournalOutputMark{JournalOutput::ResultBlock, true})};
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Writes the records as a session would; the file offset where each record begins.
QList<qint64> WriteJournal(const QString& path, const QList<JournalRecord>& records) {
    Status status;
    std::unique_ptr<SessionJournal> journal = SessionJournal::Create(path, records[0], status);
    QList<qint64> offsets{ReadAll(path).size()};
    for (qsizetype i = 1; i < records.size(); ++i) {
        if (!journal->Append(records[i]).Ok())
            qFatal("append failed");
        offsets.append(ReadAll(path).size());
    }
    return offsets; // offsets[i]: the end of record i
}

bool SameRecords(const QList<JournalRecord>& a, const QList<JournalRecord>& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (EncodeJournalRecord(a[i]) != EncodeJournalRecord(b[i]))
            return false;
    return true;
}

} // namespace

class TestSessionJournal : public QObject {
    Q_OBJECT

private slots:
    void recordsReadBackAsWritten() {
        QTemporaryDir dir;
        const QString path = SessionJournal::PathFor(dir.filePath("journal"), Begin().sessionId);
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("ABCDEF01-2345-6789-ABCD-EF0123456789.qzj"));
        const QList<JournalRecord> records = Session();
        WriteJournal(path, records);
        JournalFile file;
        QVERIFY(SessionJournal::Read(path, file).Ok());
        QVERIFY(!file.TailCut());
        QVERIFY(SameRecords(file.records, records));
        QCOMPARE(file.Begin().testPath, Begin().testPath);
        QCOMPARE(file.Last<JournalCheck>()->outcome.dontKnowCount, 1);
        QCOMPARE(file.Last<JournalMove>()->draft->point, QPoint(120, -45));
        QCOMPARE(SessionJournal::Find(dir.filePath("journal")), QStringList{path});
        // Nothing of the pupil's answers or names is readable in the file.
        const QByteArray bytes = ReadAll(path);
        for (const QByteArray& plain : {QByteArray("Ivan"), QByteArray("Algebra"), QByteArray("4,5")})
            QVERIFY2(!bytes.contains(plain), plain.constData());
    }

    // A crash while the last record was being written: any part of it, or the room the disk kept
    // for it, is cut off, and the journal goes on from the record before.
    void halfWrittenLastRecordIsCutOff() {
        QTemporaryDir dir;
        const QString path = dir.filePath("j.qzj");
        const QList<JournalRecord> records = Session();
        const QList<qint64> ends = WriteJournal(path, records);
        const QByteArray whole = ReadAll(path);
        const qsizetype last = records.size() - 1;
        const qint64 from = ends[last - 1];
        QList<QByteArray> damaged;
        for (qint64 cut = from + 1; cut < ends[last]; ++cut)
            damaged.append(whole.first(cut));
        damaged.append(whole.first(from) + QByteArray(ends[last] - from, '\0')); // zeros in its place
        QByteArray zeroSeal = whole;
        zeroSeal.replace(ends[last] - 16, 16, QByteArray(16, '\0')); // its last page never came
        damaged.append(zeroSeal);
        for (const QByteArray& bytes : damaged) {
            WriteAll(path, bytes);
            JournalFile file;
            QVERIFY2(SessionJournal::Read(path, file).Ok(), qPrintable(QString::number(bytes.size())));
            QVERIFY(file.TailCut());
            QVERIFY(SameRecords(file.records, records.first(last)));
        }
        // Going on cuts the file back and appends after the last good record.
        JournalFile file;
        QVERIFY(SessionJournal::Read(path, file).Ok());
        Status status;
        std::unique_ptr<SessionJournal> journal = SessionJournal::Continue(file, status);
        QVERIFY(status.Ok());
        QVERIFY(journal->Append(records[last]).Ok());
        QCOMPARE(ReadAll(path), whole);
    }

    // Anything else that does not hold is not a journal to resume from.
    void journalsThatDoNotHold_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("fault");
        QTest::newRow("another file") << "signature" << int(Fault::WrongType);
        QTest::newRow("empty file") << "empty" << int(Fault::WrongType);
        QTest::newRow("header only") << "header" << int(Fault::Corrupt);
        QTest::newRow("byte changed in the start") << "byte 0" << int(Fault::Corrupt);
        QTest::newRow("byte changed in a middle record") << "byte 5" << int(Fault::Corrupt);
        QTest::newRow("byte changed in the last record") << "byte last" << int(Fault::Corrupt);
        QTest::newRow("seal changed in the last record") << "seal last" << int(Fault::Corrupt);
        QTest::newRow("middle record taken out") << "drop 5" << int(Fault::Corrupt);
        QTest::newRow("two records swapped") << "swap 5" << int(Fault::Corrupt);
        QTest::newRow("records of another journal") << "splice" << int(Fault::Corrupt);
    }
    void journalsThatDoNotHold() {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString path = dir.filePath("j.qzj");
        const QList<JournalRecord> records = Session();
        const QList<qint64> ends = WriteJournal(path, records);
        QByteArray bytes = ReadAll(path);
        const qsizetype last = records.size() - 1;
        constexpr qint64 HeaderSize = 20 + 1 + 16; // signature, format, salt
        auto span = [&](qsizetype i) {
            return std::pair<qint64, qint64>{i == 0 ? HeaderSize : ends[i - 1], ends[i]};
        };
        if (damage == "signature") {
            bytes[0] = 'X';
        } else if (damage == "empty") {
            bytes.clear();
        } else if (damage == "header") {
            bytes = bytes.first(HeaderSize);
        } else if (damage.startsWith("byte")) {
            const auto [from, to] = span(damage.endsWith("last") ? last : damage.mid(5).toInt());
            bytes[(from + to) / 2] = char(bytes[(from + to) / 2] ^ 0x20);
        } else if (damage == "seal last") {
            bytes[ends[last] - 1] = char(bytes[ends[last] - 1] ^ 1);
        } else if (damage == "drop 5") {
            bytes.remove(span(5).first, span(5).second - span(5).first);
        } else if (damage == "swap 5") {
            const QByteArray a = bytes.mid(span(5).first, span(5).second - span(5).first);
            const QByteArray b = bytes.mid(span(6).first, span(6).second - span(6).first);
            bytes.replace(span(5).first, a.size() + b.size(), b + a);
        } else if (damage == "splice") {
            // The same steps sealed under another journal's salt do not pass in this one.
            const QString other = dir.filePath("other.qzj");
            WriteJournal(other, records);
            bytes = bytes.first(span(3).first) + ReadAll(other).mid(span(3).first);
        }
        WriteAll(path, bytes);
        JournalFile file;
        const Status read = SessionJournal::Read(path, file);
        QFETCH(int, fault);
        QCOMPARE(int(read.Failure()), fault);

        const QString aside = SessionJournal::SetAside(path);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QFileInfo(aside).dir().dirName(), QStringLiteral("damaged"));
        QCOMPARE(ReadAll(aside), bytes);
        QVERIFY(SessionJournal::Find(dir.path()).size() == (damage == "splice" ? 1 : 0));
    }

    // A disk that refuses a write for a while: the file keeps its earlier records, the journal keeps
    // the refused one, and the next write that gets through puts the whole journal down.
    void failedWriteLosesNoStep() {
        QTemporaryDir dir;
        const QString path = dir.filePath("j.qzj");
        const QList<JournalRecord> records = Session();
        bool full = false;
        Status status;
        std::unique_ptr<SessionJournal> journal =
            SessionJournal::Create(path, records[0], status, [&full](QByteArrayView) { return !full; });
        QVERIFY(status.Ok());
        QVERIFY(journal->Append(records[1]).Ok());
        const QByteArray before = ReadAll(path);
        full = true;
        QVERIFY(!journal->Append(records[2]).Ok());
        QVERIFY(!journal->Healthy());
        QVERIFY(!journal->Append(records[3]).Ok());
        QCOMPARE(ReadAll(path), before);
        full = false;
        QVERIFY(journal->Append(records[4]).Ok());
        QVERIFY(journal->Healthy());
        JournalFile file;
        QVERIFY(SessionJournal::Read(path, file).Ok());
        QVERIFY(SameRecords(file.records, records.first(5)));
        // A journal taken away under a running session comes back whole.
        QVERIFY(QFile::remove(path));
        QVERIFY(journal->Append(records[5]).Ok());
        QVERIFY(SessionJournal::Read(path, file).Ok());
        QVERIFY(SameRecords(file.records, records.first(6)));
        QVERIFY(journal->Remove().Ok());
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestSessionJournal)
#include "tst_sessionjournal.moc"
