// The outbox's files: what reads back is exactly what was stored, anything else is refused, and
// the waiting files come oldest first.
#include "net/Outbox.h"
#include "net/Records.h"

#include "model/ByteWriter.h"
#include "model/Crc32.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray Id = "{0F8FAD5B-D9CB-469F-A165-70867728950E}";

QByteArray Record(const QByteArray& user) {
    TResultTest r(2);
    r.UserName = user;
    r.TaskAnswers = {"1;", ""};
    return EncodeResultRecord(r);
}

// A file with a right signature and checksum around any content.
QByteArray Forged(const QByteArray& id, const QByteArray& record) {
    QByteArray out("QZOUTBOX");
    ByteWriter w(out);
    w.WriteString(id);
    w.WriteString(record);
    w.WriteUInt32(BufferCrc32(out));
    return out;
}
} // namespace

class TestOutbox : public QObject {
    Q_OBJECT
private slots:
    void roundTripAndEveryDamageIsRefused() {
        const QByteArray record = Record("Olena");
        const QByteArray bytes = Outbox::Encode(Id, record);
        QByteArray id, back;
        QVERIFY(Outbox::Decode(bytes, id, back).Ok());
        QCOMPARE(id, Id);
        QCOMPARE(back, record);

        for (qsizetype n = 0; n < bytes.size(); ++n)
            QVERIFY2(Outbox::Decode(bytes.first(n), id, back).Failure() == Fault::Corrupt,
                     qPrintable(QStringLiteral("cut to %1").arg(n)));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            QByteArray flipped = bytes;
            flipped[i] = char(flipped[i] ^ 0x20);
            QVERIFY2(Outbox::Decode(flipped, id, back).Failure() == Fault::Corrupt,
                     qPrintable(QStringLiteral("byte %1 changed").arg(i)));
        }
        QCOMPARE(Outbox::Decode(bytes + 'x', id, back).Failure(), Fault::Corrupt);
    }

    // Damage that a checksum does not catch, because whoever wrote the file computed it.
    void wellFormedButUnusable_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("session id with a line end") << Forged("{A}\r\nQUIT", Record("x"));
        QTest::newRow("empty session id") << Forged("", Record("x"));
        QTest::newRow("overlong session id") << Forged(QByteArray(65, 'A'), Record("x"));
        QTest::newRow("not a result record") << Forged(Id, "junk");
        QTest::newRow("result record with bytes after it") << Forged(Id, Record("x") + "!");
    }
    void wellFormedButUnusable() {
        QFETCH(QByteArray, bytes);
        QByteArray id, record;
        QCOMPARE(Outbox::Decode(bytes, id, record).Failure(), Fault::Corrupt);
        QVERIFY(Outbox::Decode(Forged(Id, Record("x")), id, record).Ok());
    }

    void filesWaitOldestFirstUntilRemoved() {
        QTemporaryDir dir;
        Outbox outbox(dir.filePath(QStringLiteral("outbox")));
        QVERIFY(outbox.Pending().isEmpty());
        QStringList stored;
        for (const char* user : {"first", "second", "third"}) {
            QString path;
            QVERIFY(outbox.Store(Id, Record(user), path).Ok());
            stored.append(path);
        }
        QCOMPARE(outbox.Pending(), stored);
        OutboxItem item;
        QVERIFY(outbox.Load(stored[1], item).Ok());
        QCOMPARE(item.sessionId, Id);
        QCOMPARE(item.resultRecord, Record("second"));
        outbox.Remove(stored[0]);
        QCOMPARE(outbox.Pending(), stored.mid(1));
        QCOMPARE(outbox.Load(stored[0], item).Failure(), Fault::NotFound);

        // A damaged file leaves the queue for the damaged folder.
        QFile file(stored[2]);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(20);
        file.write("XX");
        file.close();
        QCOMPARE(outbox.Load(stored[2], item).Failure(), Fault::Corrupt);
        QCOMPARE(outbox.Pending(), stored.mid(1, 1));
        QVERIFY(
            QFile::exists(outbox.DamagedFolder() + QStringLiteral("/") + QFileInfo(stored[2]).fileName()));
    }

    void storeRefusesAnIdThatCannotBeSent() {
        QTemporaryDir dir;
        Outbox outbox(dir.path());
        QString path;
        QCOMPARE(outbox.Store("{A}\nQUIT", Record("x"), path).Failure(), Fault::WriteFailed);
        QVERIFY(outbox.Pending().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOutbox)
#include "tst_outbox.moc"
