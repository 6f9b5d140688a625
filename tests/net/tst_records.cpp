// The three records of the reports to the teacher's server: their exact layout, what the builders
// take from a session's record, and decoders that refuse anything but one whole record.
#include "net/Records.h"
#include "net/Wire.h"

#include "model/ByteReader.h"
#include "model/ByteWriter.h"

#include <QTest>

#include <functional>

namespace {
const QByteArray Guid = "{0F8FAD5B-D9CB-469F-A165-70867728950E}";

TResultTest SampleResult() {
    TResultTest r(3);
    r.UserName = "\xCA\xEE\xE2\xE0\xEB\xFC \xCE\xEB\xE5\xED\xE0"; // cp1251
    r.UserGroup = "9 \xC1";
    r.ComputerName = "ROOM12-PC04";
    r.LoginName = "pupil";
    r.StartTime = 46000.375;
    r.EndTime = 46000.4;
    r.ElapsedSeconds = 2160;
    r.RecordedTime = 46000.4;
    r.TestTitle = "Fractions";
    r.TestFileName = "C:\\Tests\\fractions.qzf";
    r.TestCrc = qint32(0xC0DE1234u);
    r.TestUId = "{11111111-2222-3333-4444-555555555555}";
    r.TaskPoints = {2, 0, -1};
    r.TaskSeconds = {30, 41, -1};
    r.TaskAnswers = {"1;", "2-1;1-2;", ""};
    r.TaskHintPenalty = {-1, 1, -1};
    r.EndReason = 2;
    r.Mark = 4;
    r.MarkName = "good";
    r.MarkCount = 5;
    r.AskCount = 3;
    r.AskedCount = 2;
    r.RightCount = 1;
    r.WrongCount = 1;
    r.DontKnowCount = 0;
    r.HintCount = 1;
    r.MaxScore = 7;
    r.Score = 1.5;
    r.CheckedMax = 4;
    return r;
}

// Where the task-points count of SampleResult's stream form lies: after the fields before it.
qsizetype TaskPointsOffset() {
    const TResultTest r = SampleResult();
    QByteArray prefix;
    ByteWriter p(prefix);
    for (const QByteArray* s : {&r.UserName, &r.UserGroup, &r.ComputerName, &r.LoginName, &r.Reserved1})
        p.WriteString(*s);
    p.WriteDouble(r.StartTime);
    p.WriteDouble(r.EndTime);
    p.WriteInt32(r.ElapsedSeconds);
    p.WriteDouble(r.RecordedTime);
    p.WriteString(r.TestTitle);
    p.WriteString(r.TestFileName);
    p.WriteInt32(r.TestCrc);
    p.WriteString(r.TestUId);
    return prefix.size();
}

struct Decoder {
    const char* name;
    QByteArray bytes;
    std::function<Status(QByteArrayView)> decode;
};

QList<Decoder> Decoders() {
    const TResultTest r = SampleResult();
    return {
        {"start", EncodeStartRecord(StartRecordOf(r, Guid)),
         [](QByteArrayView b) {
             SessionStartRecord out;
             return DecodeStartRecord(b, out);
         }},
        {"progress", EncodeProgressRecord(ProgressRecordOf(r, Guid)),
         [](QByteArrayView b) {
             ProgressRecord out;
             return DecodeProgressRecord(b, out);
         }},
        {"result", EncodeResultRecord(r),
         [](QByteArrayView b) {
             TResultTest out;
             return DecodeResultRecord(b, out);
         }},
    };
}
} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    void startRecordLayout() {
        TResultTest r = SampleResult();
        r.UserGroup.clear();
        const SessionStartRecord start = StartRecordOf(r, Guid);
        QCOMPARE(start.UserName, r.UserName);
        QCOMPARE(start.TestFileName, r.TestFileName);
        QCOMPARE(start.TestCrc, r.TestCrc);
        QCOMPARE(start.AskCount, 3);
        QCOMPARE(start.MaxScore, 7);

        QByteArray expected;
        ByteWriter w(expected);
        w.WriteString(Guid);
        w.WriteString(r.UserName);
        w.WriteInt32(0); // the empty group: the count alone
        w.WriteString(r.ComputerName);
        w.WriteString(r.LoginName);
        w.WriteString(r.TestTitle);
        w.WriteString(r.TestFileName);
        w.WriteUInt32(0xC0DE1234u);
        w.WriteString(r.TestUId);
        w.WriteInt32(3);
        w.WriteInt32(7);
        const QByteArray encoded = EncodeStartRecord(start);
        QCOMPARE(encoded, expected);

        SessionStartRecord back;
        QVERIFY(DecodeStartRecord(encoded, back).Ok());
        QCOMPARE(back, start);
    }

    void progressRecordIsSeventyBytes() {
        const TResultTest r = SampleResult();
        const ProgressRecord progress = ProgressRecordOf(r, Guid);
        QCOMPARE(progress.AskedCount, 2);
        QCOMPARE(progress.RightCount, 1);
        QCOMPARE(progress.WrongCount, 1);
        QCOMPARE(progress.DontKnowCount, 0);
        QCOMPARE(progress.Score, 1.5);
        QCOMPARE(progress.CheckedMax, 4);

        const QByteArray encoded = EncodeProgressRecord(progress);
        QCOMPARE(encoded.size(), 70);
        QVERIFY(Wire::Block(encoded).startsWith("70\r\n"));
        ByteReader in(encoded);
        QCOMPARE(in.ReadString(), Guid);
        QCOMPARE(in.ReadInt32(), 2);
        QCOMPARE(in.ReadInt32(), 1);
        QCOMPARE(in.ReadInt32(), 1);
        QCOMPARE(in.ReadInt32(), 0);
        QCOMPARE(in.ReadDouble(), 1.5);
        QCOMPARE(in.ReadInt32(), 4);
        QVERIFY(in.Ok() && in.KnownRemaining() == 0);

        ProgressRecord back;
        QVERIFY(DecodeProgressRecord(encoded, back).Ok());
        QCOMPARE(back, progress);
    }

    void resultRecordIsTheStreamForm() {
        const TResultTest r = SampleResult();
        QByteArray stream;
        ByteWriter w(stream);
        r.SaveToStream(w);
        QCOMPARE(EncodeResultRecord(r), stream);

        TResultTest back(0);
        back.CheckedMax = 99; // held in memory only: the block does not touch it
        QVERIFY(DecodeResultRecord(stream, back).Ok());
        QVERIFY(back.SameStoredFields(r));
        QCOMPARE(back.CheckedMax, 99);
    }

    // Every record cut anywhere, or followed by one byte more, is refused.
    void decodersRefuseShortAndLongBlocks() {
        for (const Decoder& d : Decoders()) {
            QVERIFY2(d.decode(d.bytes).Ok(), d.name);
            for (qsizetype n = 0; n < d.bytes.size(); ++n) {
                const Status s = d.decode(QByteArrayView(d.bytes).first(n));
                QVERIFY2(!s.Ok() && s.Failure() == Fault::Corrupt,
                         qPrintable(QStringLiteral("%1 cut to %2").arg(QLatin1String(d.name)).arg(n)));
            }
            const Status longer = d.decode(d.bytes + 'x');
            QVERIFY2(longer.Failure() == Fault::Corrupt, d.name);
        }
    }

    // A count that the block cannot hold fails at once, whatever it claims.
    void decodersRefuseImpossibleCounts_data() {
        QTest::addColumn<int>("decoder");
        QTest::addColumn<qsizetype>("offset"); // where the count is overwritten
        QTest::addColumn<quint32>("count");
        // The session id's length is the first field of both reports.
        QTest::newRow("start, id longer than the block") << 0 << qsizetype(0) << 0x7FFFFFFFu;
        QTest::newRow("start, negative id length") << 0 << qsizetype(0) << 0xFFFFFFFFu;
        QTest::newRow("progress, id longer than the block") << 1 << qsizetype(0) << 1000u;
        QTest::newRow("result, name longer than the block") << 2 << qsizetype(0) << 0x7FFFFFF0u;
        QTest::newRow("result, more task points than bytes") << 2 << TaskPointsOffset() << 100000000u;
    }
    void decodersRefuseImpossibleCounts() {
        QFETCH(int, decoder);
        QFETCH(qsizetype, offset);
        QFETCH(quint32, count);
        const Decoder d = Decoders().at(decoder);
        QByteArray bytes = d.bytes;
        QVERIFY(offset + 4 <= bytes.size());
        QByteArray patch;
        ByteWriter(patch).WriteUInt32(count);
        bytes.replace(offset, 4, patch);
        QCOMPARE(d.decode(bytes).Failure(), Fault::Corrupt);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
