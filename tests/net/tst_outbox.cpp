// The outbox's files: what reads back is exactly what was stored, anything else is refused, the
// waiting files come oldest first, and a result the disk will not take leaves nothing behind.
#include "FailingDisk.h"
#include "net/Outbox.h"
#include "net/Records.h"

#include "model/ByteWriter.h"
#include "model/Crc32.h"

#include <QDir>
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

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

    // A result the disk will not take leaves no file behind, and the results already waiting stay
    // exactly as they were, whichever step fails.
    void storeOnAFailingDisk_data() {
        QTest::addColumn<DiskFault>("fault");
        QTest::addColumn<bool>("firstResult"); // nothing waits yet: the folder is still to be made
        QTest::newRow("folder cannot be made") << DiskFault{FailMakeFolder, EACCES, -1} << true;
        QTest::newRow("file cannot be created") << DiskFault{FailCreate, EROFS, -1} << false;
        QTest::newRow("disk full at once") << DiskFault{NoDiskCall, 0, 0} << false;
        QTest::newRow("disk full inside the record") << DiskFault{NoDiskCall, 0, 60} << false;
        QTest::newRow("forcing to disk fails") << DiskFault{FailSync, EIO, -1} << false;
        QTest::newRow("putting in place fails") << DiskFault{FailRename, EIO, -1} << false;
    }
    void storeOnAFailingDisk() {
        QFETCH(DiskFault, fault);
        QFETCH(bool, firstResult);
        QTemporaryDir dir;
        Outbox outbox(dir.filePath(QStringLiteral("outbox")));
        QStringList waiting;
        QByteArray waitingBytes;
        if (!firstResult) {
            QString path;
            QVERIFY(outbox.Store(Id, Record("earlier"), path).Ok());
            waiting.append(path);
            waitingBytes = ReadAll(path);
        }
        const int result = RunOnFailingDisk(fault, [&] {
            QString path;
            const Status s = outbox.Store(Id, Record("new"), path);
            return s.Failure() == Fault::WriteFailed && path.isEmpty() ? 0 : 1;
        });
        QCOMPARE(result, 0);
        QCOMPARE(outbox.Pending(), waiting);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 firstResult ? QStringList() : QStringList{"outbox"});
        if (!firstResult) {
            QCOMPARE(QDir(outbox.Folder())
                         .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                         .size(),
                     1);
            QCOMPARE(ReadAll(waiting[0]), waitingBytes);
        }
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
