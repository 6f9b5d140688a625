// The safe writes on a disk that fails at each step: creating the new file, writing it, forcing it
// to the disk, putting it in place, and, for an append, cutting back what got in. Whatever step
// fails, the write reports the failure and the file is exactly as it was, with nothing left beside it.
#include "FailingDisk.h"
#include "TestFiles.h"
#include "model/SafeFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
enum class Writer { Replace, Append };

// 0 when the write failed as a write, 1 when it reported success, 2 for another failure.
int Outcome(const Status& s) {
    return s.Ok() ? 1 : s.Failure() == Fault::WriteFailed && !s.Detail().isEmpty() ? 0 : 2;
}
} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT
private slots:
    void everyFailingStepKeepsTheOldFile_data() {
        QTest::addColumn<int>("writer");
        QTest::addColumn<DiskFault>("fault");
        const QByteArray old = "the old content\r\n";
        struct Row {
            const char* name;
            DiskFault fault;
        };
        const QList<Row> common = {
            {"cannot create", {FailCreate, EACCES, -1}},
            {"forcing to disk fails", {FailSync, EIO, -1}},
        };
        for (const Row& r : common) {
            QTest::addRow("replace: %s", r.name) << int(Writer::Replace) << r.fault;
            QTest::addRow("append: %s", r.name) << int(Writer::Append) << r.fault;
        }
        QTest::newRow("replace: putting in place fails")
            << int(Writer::Replace) << DiskFault{FailRename, EIO, -1};
        // The disk fills up at the first byte, inside the new content, and one byte before its end.
        for (const qint64 at : {qint64(0), qint64(1000), qint64(9999)})
            QTest::addRow("replace: full after %lld bytes", at)
                << int(Writer::Replace) << DiskFault{NoDiskCall, 0, at};
        for (const qint64 at : {qint64(0), qint64(1000), qint64(9999)})
            QTest::addRow("append: full after %lld new bytes", at)
                << int(Writer::Append) << DiskFault{NoDiskCall, 0, old.size() + at};
    }
    void everyFailingStepKeepsTheOldFile() {
        QFETCH(int, writer);
        QFETCH(DiskFault, fault);
        QTemporaryDir dir;
        const QString path = dir.filePath("file.txt");
        const QByteArray old = "the old content\r\n";
        WriteFile(path, old);
        const QByteArray added(10000, 'n');
        const int result = RunOnFailingDisk(fault, [&] {
            return Outcome(Writer(writer) == Writer::Replace ? ReplaceFileContents(path, added)
                                                             : AppendToFile(path, added));
        });
        QCOMPARE(result, 0);
        QCOMPARE(ReadFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"file.txt"});
    }

    // When part of an entry got in and cannot be cut back either, the append still fails, and
    // nothing that was there before is lost.
    void appendThatCannotBeTakenBackStillFails() {
        QTemporaryDir dir;
        const QString path = dir.filePath("log.txt");
        WriteFile(path, "old\r\n");
        const int result = RunOnFailingDisk(
            {FailCut, EIO, 5 + 100}, [&] { return Outcome(AppendToFile(path, QByteArray(1000, 'n'))); });
        QCOMPARE(result, 0);
        QVERIFY(ReadFile(path).startsWith("old\r\n"));
    }

    // The same writes on a working disk, so that the failures above are the disk's doing.
    void workingDisk() {
        QTemporaryDir dir;
        const QString path = dir.filePath("file.txt");
        QCOMPARE(RunOnFailingDisk({}, [&] { return Outcome(ReplaceFileContents(path, "new")); }), 1);
        QCOMPARE(RunOnFailingDisk({}, [&] { return Outcome(AppendToFile(path, "+")); }), 1);
        QCOMPARE(ReadFile(path), QByteArray("new+"));
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
