#include "model/ByteReader.h"
#include "model/ByteWriter.h"
#include "model/ResultTest.h"

#include <QTest>

namespace {
QByteArray Bytes(const TResultTest& r) {
    QByteArray out;
    ByteWriter w(out);
    r.SaveToStream(w);
    return out;
}

// A finished session of three tasks with every stored field set to something distinguishable.
TResultTest Sample() {
    TResultTest r(3);
    r.UserName = "\xCF\xE5\xF2\xF0\xEE\xE2 \xCF\xE5\xF2\xF0"; // cp1251 Cyrillic
    r.UserGroup = "10 \xC0";
    r.ComputerName = "PC-07";
    r.LoginName = "pupil";
    r.StartTime = 46000.375;
    r.EndTime = 46000.4;
    r.ElapsedSeconds = 2160;
    r.RecordedTime = 46000.4;
    r.TestTitle = "Algebra";
    r.TestFileName = "/home/t/algebra.qzf";
    r.TestCrc = qint32(0xDEADBEEF);
    r.TestUId = "{0C5E}";
    r.TaskPoints = {2, 0, -1};
    r.TaskSeconds = {12, 40, -1};
    r.TaskAnswers = {"1;3", "", "x"};
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
    r.MaxScore = 5;
    r.Score = 1.5;
    return r;
}
} // namespace

class TestResultTest : public QObject {
    Q_OBJECT
private slots:
    void freshRecordRoundTrip() {
        const TResultTest fresh(3);
        const QByteArray bytes = Bytes(fresh);
        TResultTest back(0);
        ByteReader r(bytes);
        QVERIFY(back.LoadFromStream(r));
        QVERIFY(r.AtEnd());
        QCOMPARE(back.TaskPoints, QList<qint32>({-1, -1, -1}));
        QCOMPARE(back.TaskSeconds, QList<qint32>({-1, -1, -1}));
        QCOMPARE(back.TaskHintPenalty, QList<qint32>({-1, -1, -1}));
        QCOMPARE(back.TaskAnswers, QList<QByteArray>({"", "", ""}));
        QVERIFY(back.Reserved1.isEmpty());
        QVERIFY(back.Reserved2.isEmpty());
    }

    // The exact layout, field by field, for a record of zero tasks: each array is one int32 0.
    void zeroTaskLayout() {
        TResultTest r(0);
        r.UserName = "A";
        r.TestCrc = 0x01020304;
        r.EndReason = 3;
        r.Score = -0.5;
        QByteArray expected;
        ByteWriter w(expected);
        w.WriteString("A");
        for (int i = 0; i < 4; ++i)
            w.WriteString("");
        w.WriteDouble(0);
        w.WriteDouble(0);
        w.WriteInt32(0);
        w.WriteDouble(0);
        w.WriteString("");
        w.WriteString("");
        w.WriteInt32(0x01020304);
        w.WriteString("");
        for (int i = 0; i < 4; ++i)
            w.WriteInt32(0); // the four arrays
        w.WriteUInt8(3);
        w.WriteInt32(0);
        w.WriteString("");
        for (int i = 0; i < 8; ++i)
            w.WriteInt32(0); // MarkCount .. MaxScore
        w.WriteDouble(-0.5);
        w.WriteString("");
        QCOMPARE(Bytes(r), expected);
    }

    void fullRecordRoundTripKeepsStoredFieldsOnly() {
        TResultTest source = Sample();
        source.Reserved1 = "r1";
        source.Reserved2 = "r2";
        source.Order = {2, 0};
        source.Position = 1;
        source.Visited = {1, 0};
        source.VariantOrder = {3, 1, 2};
        source.CheckedMax = 4;

        TResultTest target(7);
        target.Order = {6};
        target.Position = 5;
        const QByteArray bytes = Bytes(source);
        ByteReader r(bytes);
        QVERIFY(target.LoadFromStream(r));
        QVERIFY(r.AtEnd());
        QCOMPARE(Bytes(target), bytes);
        QCOMPARE(target.TaskCount(), 3);
        QCOMPARE(target.TestCrc, qint32(0xDEADBEEF));
        QCOMPARE(target.Score, 1.5);
        // The in-memory fields belong to the session, not to the stream.
        QCOMPARE(target.Order, QList<qint32>({6}));
        QCOMPARE(target.Position, 5);
        QVERIFY(target.Visited.isEmpty());
        QCOMPARE(target.CheckedMax, 0);

        TResultTest copy(1);
        copy.CopyFrom(source);
        QVERIFY(copy.SameStoredFields(source));
        QVERIFY(copy.Order.isEmpty());
    }

    void perTaskAccessors() {
        TResultTest r(2);
        r.SetTaskPoints(1, 7);
        r.SetTaskSeconds(0, 3);
        r.SetTaskHintPenalty(1, 2);
        r.SetTaskAnswer(0, "abc");
        // Out of range is ignored on write and reads as "never touched".
        r.SetTaskPoints(2, 9);
        r.SetTaskPoints(-1, 9);
        QCOMPARE(r.TaskPoints, QList<qint32>({-1, 7}));
        QCOMPARE(r.GetTaskSeconds(0), 3);
        QCOMPARE(r.GetTaskHintPenalty(1), 2);
        QCOMPARE(r.GetTaskAnswer(0), QByteArray("abc"));
        QCOMPARE(r.GetTaskPoints(5), -1);
        r.AddSecond();
        r.AddSecond();
        QCOMPARE(r.ElapsedSeconds, 2);
        QCOMPARE(TResultTest(-3).TaskCount(), 0);
    }

    void masks_data() {
        QTest::addColumn<QList<qint32>>("points");
        QTest::addColumn<QByteArray>("resultMask");
        QTest::newRow("empty") << QList<qint32>{} << QByteArray();
        QTest::newRow("unchecked, wrong, right") << QList<qint32>{-1, 0, 2} << QByteArray("1) * 2) - 3) + ");
        QTest::newRow("heavy task is right") << QList<qint32>{101, 100, 1} << QByteArray("1) + 2) + 3) + ");
        QTest::newRow("below -1") << QList<qint32>{-2} << QByteArray("1) * ");
    }
    void masks() {
        QFETCH(QList<qint32>, points);
        QFETCH(QByteArray, resultMask);
        TResultTest r(0);
        r.TaskPoints = points;
        QCOMPARE(r.ResultMask(), resultMask);
    }

    void otherMasks() {
        TResultTest r(0);
        r.TaskSeconds = {12, -1};
        QCOMPARE(r.TimeMask(), QByteArray("1) 12 2) * "));
        r.TaskHintPenalty = {-1, 0, 3};
        QCOMPARE(r.HintMask(), QByteArray("1) * 2) 0 3) 3 "));
        r.TaskAnswers = {"a b", ""};
        QCOMPARE(r.AnswerMask(), QByteArray("1) a b 2)  "));
        QCOMPARE(TResultTest(0).TimeMask(), QByteArray());
    }

    // Every proper prefix of a record is a read failure, never a crash or a silent success.
    void everyTruncationFails() {
        const QByteArray bytes = Bytes(Sample());
        for (qsizetype n = 0; n < bytes.size(); ++n) {
            TResultTest r(0);
            ByteReader in(QByteArrayView(bytes).first(n));
            QVERIFY2(!r.LoadFromStream(in), qPrintable(QString::number(n)));
        }
    }

    // Counts and lengths that cannot be true fail before anything is allocated.
    void impossibleCountsFail_data() {
        QTest::addColumn<int>("field"); // which int32 of the Sample layout to patch
        QTest::addColumn<qint32>("value");
        // Offsets of length prefixes in Sample(): UserName is the first int32.
        QTest::newRow("name length negative") << 0 << -1;
        QTest::newRow("name length huge") << 0 << 0x7FFFFFFF;
        QTest::newRow("points count huge") << -1 << 0x7FFFFFFF;
        QTest::newRow("points count negative") << -1 << -5;
        QTest::newRow("points count beyond the data") << -1 << 200;
    }
    void impossibleCountsFail() {
        QFETCH(int, field);
        QFETCH(qint32, value);
        QByteArray bytes = Bytes(Sample());
        // -1 stands for the TaskPoints count: right after TestUId.
        qsizetype at = 0;
        if (field == -1) {
            const TResultTest s = Sample();
            TResultTest head(0);
            head.UserName = s.UserName;
            head.UserGroup = s.UserGroup;
            head.ComputerName = s.ComputerName;
            head.LoginName = s.LoginName;
            head.TestTitle = s.TestTitle;
            head.TestFileName = s.TestFileName;
            head.TestUId = s.TestUId;
            at = Bytes(head).indexOf(QByteArray("{0C5E}")) + 6;
        }
        QByteArray patch;
        ByteWriter(patch).WriteInt32(value);
        bytes.replace(at, 4, patch);
        TResultTest r(0);
        ByteReader in(bytes);
        QVERIFY(!r.LoadFromStream(in));
    }
};

QTEST_GUILESS_MAIN(TestResultTest)
#include "tst_resulttest.moc"
