#include "ScriptedPrompts.h"
#include "model/ByteWriter.h"
#include "model/DateTime.h"
#include "model/TextCodec.h"
#include "ports/Clock.h"
#include "results/ResultFiles.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FailingDisk.h"
#include "TestFiles.h"

#include <zlib.h>

namespace {

QByteArray Bytes(const TResultTest& r) {
    QByteArray out;
    ByteWriter w(out);
    r.SaveToStream(w);
    return out;
}

// Compressed with zlib itself, so that fixtures do not depend on the code under test.
QByteArray ProtectedFile(qint32 count, const QByteArray& records) {
    QByteArray plain;
    ByteWriter w(plain);
    w.WriteInt32(0);
    w.WriteInt32(count);
    plain += records;
    uLongf size = compressBound(uLong(plain.size()));
    QByteArray packed(qsizetype(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
              reinterpret_cast<const Bytef*>(plain.constData()), uLong(plain.size()), 9);
    packed.resize(qsizetype(size));
    return "QuizarProtectionResult" + packed;
}

// The decompressed content of a protected file, checked with zlib itself.
QByteArray Unpack(const QByteArray& file) {
    if (!file.startsWith("QuizarProtectionResult"))
        return {};
    const QByteArray packed = file.mid(22);
    uLongf size = 1 << 24;
    QByteArray plain(qsizetype(size), Qt::Uninitialized);
    if (uncompress(reinterpret_cast<Bytef*>(plain.data()), &size,
                   reinterpret_cast<const Bytef*>(packed.constData()), uLong(packed.size())) != Z_OK)
        return {};
    plain.resize(qsizetype(size));
    return plain;
}

QByteArray Header(qint32 count) {
    QByteArray out;
    ByteWriter w(out);
    w.WriteInt32(0);
    w.WriteInt32(count);
    return out;
}

TResultTest Session(const QByteArray& name) {
    TResultTest r(3);
    r.UserName = name;
    r.UserGroup = "10 \xC0";
    r.ComputerName = "PC-07";
    r.LoginName = "pupil";
    r.StartTime = DateTimeToDouble(QDateTime(QDate(2026, 12, 8), QTime(9, 15, 2)));
    r.EndTime = DateTimeToDouble(QDateTime(QDate(2026, 12, 8), QTime(9, 51, 40)));
    r.ElapsedSeconds = 2198;
    r.RecordedTime = r.EndTime;
    r.TestTitle = Cp(QStringLiteral(u"Дроби"));
    r.TestFileName = "/home/t/drobi.qzf";
    r.TestCrc = 0x00ABCDEF;
    r.TaskPoints = {2, 0, -1};
    r.TaskSeconds = {12, 40, -1};
    r.TaskAnswers = {"3/4", "1", ""};
    r.TaskHintPenalty = {-1, 1, -1};
    r.EndReason = 2;
    r.Mark = 7;
    r.MarkCount = 12;
    r.AskCount = 3;
    r.AskedCount = 2;
    r.RightCount = 1;
    r.WrongCount = 1;
    r.HintCount = 1;
    r.MaxScore = 6;
    r.Score = 1.5;
    return r;
}

QStringList FilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

struct Fixture {
    QTemporaryDir dir;
    TSettings settings;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 15, 2))};
    ScriptedPrompts prompts;
    ResultFiles files{settings, dir.path(), clock, QLocale(QLocale::Russian, QLocale::Ukraine)};
    // Each write as the window does it: the failure's message shown through the prompts.
    Status Told(const Status& status, bool protectedFile) {
        if (const auto notice = protectedFile ? ProtectedResultNotice(status) : ResultLogNotice(status))
            prompts.Show(*notice);
        return status;
    }
    Status LogProgramStarted() { return Told(files.LogProgramStarted(), false); }
    Status AppendLogBlock(const TResultTest& r) { return Told(files.AppendLogBlock(r), false); }
    Status SaveProtectedResult(const TResultTest& r) { return Told(files.SaveProtectedResult(r), true); }
    QString LogPath() const { return dir.filePath("QuizarStudent_Result.txt"); }
    QString ProtectedPath() const { return dir.filePath("QuizarStudent_ProtectionResult.qzpr"); }
};
} // namespace

class TestResultFiles : public QObject {
    Q_OBJECT
private slots:
    void paths_data() {
        QTest::addColumn<QByteArray>("dirForResult");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("protectedFile");
        QTest::newRow("program folder") << QByteArray() << "/opt/q/QuizarStudent_Result.txt"
                                        << "/opt/q/QuizarStudent_ProtectionResult.qzpr";
        QTest::newRow("folder set") << QByteArray("/srv/res") << "/srv/res/QuizarStudent_Result.txt"
                                    << "/srv/res/QuizarStudent_ProtectionResult.qzpr";
        QTest::newRow("trailing separator") << QByteArray("/srv/res/") << "/srv/res/QuizarStudent_Result.txt"
                                            << "/srv/res/QuizarStudent_ProtectionResult.qzpr";
        QTest::newRow("cp1251 folder")
            << QByteArray("/srv/\xF0\xE5\xE7") << QString::fromUtf8("/srv/рез/QuizarStudent_Result.txt")
            << QString::fromUtf8("/srv/рез/QuizarStudent_ProtectionResult.qzpr");
    }
    void paths() {
        QFETCH(QByteArray, dirForResult);
        QFETCH(QString, log);
        QFETCH(QString, protectedFile);
        TSettings s;
        s.DirForResult = dirForResult;
        QCOMPARE(ResultLogPath(s, "/opt/q/"), log);
        QCOMPARE(ProtectionResultPath(s, "/opt/q/"), protectedFile);
    }

    void singleLinesAreAppendedByteForByte() {
        Fixture f;
        QVERIFY(f.LogProgramStarted().Ok());
        f.clock.AddSecs(60);
        QVERIFY(f.files.LogTestStarted(Cp(QStringLiteral(u"Дроби"))).Ok());
        f.clock.AddSecs(3600);
        QVERIFY(f.files.LogProgramClosed().Ok());
        QCOMPARE(ReadFile(f.LogPath()),
                 Cp(QStringLiteral(u"08.12.2026 09:15:02 Запущена программа QuizarStudent.\r\n"
                                   u"08.12.2026 09:16:02 Начат тест: \"Дроби\"\r\n"
                                   u"08.12.2026 10:16:02 Закрыта программа QuizarStudent.\r\n")));
        QVERIFY(f.prompts.messages.isEmpty());
    }

    // What is already in the log stays, even a last line without its line end.
    void existingLogIsOnlyAppendedTo() {
        Fixture f;
        WriteFile(f.LogPath(), "old entry\r\nno line end");
        QVERIFY(f.files.AppendLogLine("new").Ok());
        QCOMPARE(ReadFile(f.LogPath()), QByteArray("old entry\r\nno line endnew\r\n"));
    }

    void blockByteForByte() {
        Fixture f;
        f.clock.Set(QDateTime(QDate(2026, 12, 8), QTime(9, 51, 41)));
        QVERIFY(f.AppendLogBlock(Session(Cp(QStringLiteral(u"Петренко Петро")))).Ok());
        const QString expected =
            QStringLiteral(u"------------------------------------------------\r\n"
                           u"---------- 08.12.2026 09:51:41 ----------\r\n"
                           u"Тест остановлен...\r\n"
                           u"Имя компьютера: \"PC-07\"\r\n"
                           u"Имя пользователя компьютера: \"pupil\"\r\n"
                           u"Имя пользователя (тестируемого): \"Петренко Петро\"\r\n"
                           u"Группа (класс) пользователя (тестируемого): \"10 А\"\r\n"
                           u"Название теста: \"Дроби\"\r\n"
                           u"Файл с тестом: \"/home/t/drobi.qzf\"\r\n"
                           u"CRC Файла с тестом: \"00ABCDEF\"\r\n"
                           u"Всего заданий в тесте: 3.\r\n"
                           u"Выполнено заданий: 2.\r\n"
                           u"Из них правильно: 1 (50,0% выполненых заданий).\r\n"
                           u"Из них ошибок: 1 (50,0% выполненых заданий).\r\n"
                           u"Результативность: 33,3%.\r\n"
                           u"Использовано подсказок: 1.\r\n"
                           u"Набрано баллов: 1,5 из 6 возможных. Ваш результат: 25,0%.\r\n"
                           u"Оценка: 7.\r\n"
                           u"Маска результата: \"1) + 2) - 3) * \".\r\n"
                           u"Маска времени обдумывания (в секундах): \"1) 12 2) 40 3) * \".\r\n"
                           u"Маска ответов: \"1) 3/4 2) 1 3)  \".\r\n"
                           u"Маска штрафов за подсказку: \"1) * 2) 1 3) * \".\r\n"
                           u"Время начала: 09:15:02.\r\n"
                           u"Время завершения: 09:51:40.\r\n"
                           u"Продолжительность: 00:36:38.\r\n"
                           u"------------------------------------------------\r\n");
        QCOMPARE(ReadFile(f.LogPath()), Cp(expected));
    }

    // Lines that change with the record: the end reason, the mark's name, zero divisors and a
    // duration past a day; the decimal separator follows the locale.
    void blockVariants_data() {
        QTest::addColumn<int>("endReason");
        QTest::addColumn<QByteArray>("markName");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<QStringList>("mustHave");
        QTest::addColumn<QString>("mustNotHave");
        QTest::newRow("all done, named mark")
            << 1 << Cp(QStringLiteral(u"добре")) << 2 << 59
            << QStringList{u"Тест закончен..."_qs, u"Оценка: добре."_qs, u"Продолжительность: 00:00:59."_qs}
            << u"Тест остановлен"_qs;
        QTest::newRow("time out") << 3 << QByteArray() << 2 << 3600
                                  << QStringList{u"Тест закончен - вышло время..."_qs,
                                                 u"Продолжительность: 01:00:00."_qs}
                                  << QString();
        QTest::newRow("program closed, nothing asked")
            << 4 << QByteArray() << 0 << 90000
            << QStringList{u"Тест прерван - закрыта программа..."_qs,
                           u"Из них правильно: 1 (0,0% выполненых заданий)."_qs,
                           u"Продолжительность: 01:00:00."_qs}
            << QString();
        QTest::newRow("still running: no end line")
            << 0 << QByteArray() << 2 << 0 << QStringList{u"Продолжительность: 00:00:00."_qs} << u"Тест "_qs;
    }
    void blockVariants() {
        QFETCH(int, endReason);
        QFETCH(QByteArray, markName);
        QFETCH(int, asked);
        QFETCH(int, elapsed);
        QFETCH(QStringList, mustHave);
        QFETCH(QString, mustNotHave);
        TResultTest r = Session("x");
        r.EndReason = quint8(endReason);
        r.MarkName = markName;
        r.AskedCount = asked;
        r.ElapsedSeconds = elapsed;
        const QList<QByteArray> lines =
            ComposeLogBlock(r, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QLocale(QLocale::Ukrainian));
        QCOMPARE(lines.first(), QByteArray(48, '-'));
        QCOMPARE(lines.last(), QByteArray(48, '-'));
        QCOMPARE(lines.size(), endReason >= 1 && endReason <= 4 ? 26 : 25);
        for (const QString& line : mustHave)
            QVERIFY2(lines.contains(Cp(line)), qPrintable(line));
        if (!mustNotHave.isEmpty())
            for (const QByteArray& line : lines)
                QVERIFY(!line.startsWith(Cp(mustNotHave)));
    }

    void blockWithoutHintsOrScoreAndDotLocale() {
        TResultTest r = Session("x");
        r.HintCount = 0;
        r.MaxScore = 0;
        r.Score = -0.25;
        const QList<QByteArray> lines =
            ComposeLogBlock(r, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QLocale::c());
        QVERIFY(lines.contains(Cp(u"Использовано подсказок: 0."_qs)));
        // An exact tie rounds away from zero.
        QVERIFY(lines.contains(Cp(u"Набрано баллов: -0.3 из 0 возможных. Ваш результат: 0.0%."_qs)));
        QVERIFY(lines.contains(Cp(u"Результативность: 33.3%."_qs)));
    }

    void switchedOffTouchesNothing() {
        Fixture f;
        f.settings.IsSaveResult = false;
        QCOMPARE(f.LogProgramStarted().Failure(), Fault::Disabled);
        QCOMPARE(f.AppendLogBlock(Session("x")).Failure(), Fault::Disabled);
        QCOMPARE(f.SaveProtectedResult(Session("x")).Failure(),
                 Fault::Disabled); // off by default
        QVERIFY(FilesIn(f.dir.path()).isEmpty());
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void logWriteFailureIsReported() {
        Fixture f;
        f.settings.DirForResult = QFile::encodeName(f.dir.filePath("missing/folder"));
        QCOMPARE(f.LogProgramStarted().Failure(), Fault::WriteFailed);
        QCOMPARE(f.AppendLogBlock(Session("x")).Failure(), Fault::WriteFailed);
        QCOMPARE(f.prompts.messages.size(), 2);
        QCOMPARE(f.prompts.messages[0].caption, u"Внимание!"_qs);
        QCOMPARE(f.prompts.messages[0].text, u"Помилка запису у файл результатів."_qs);
        QCOMPARE(f.prompts.messages[0].icon, MsgIcon::Information);
    }

    void protectedFileIsCreatedThenAppended() {
        Fixture f;
        f.settings.IsSaveProtectionResult = true;
        const TResultTest first = Session("first"), second = Session("second"), third = Session("third");
        QVERIFY(f.SaveProtectedResult(first).Ok());
        QByteArray file = ReadFile(f.ProtectedPath());
        QVERIFY(file.startsWith("QuizarProtectionResult"));
        QCOMPARE(file.mid(22, 2), QByteArray("\x78\xDA")); // zlib header of level 9
        QCOMPARE(Unpack(file), Header(1) + Bytes(first));

        QVERIFY(f.SaveProtectedResult(second).Ok());
        QVERIFY(f.SaveProtectedResult(third).Ok());
        QCOMPARE(Unpack(ReadFile(f.ProtectedPath())),
                 Header(3) + Bytes(first) + Bytes(second) + Bytes(third));

        QList<TResultTest> records;
        QVERIFY(ReadProtectedResults(f.ProtectedPath(), records).Ok());
        QCOMPARE(records.size(), 3);
        QVERIFY(records[2].SameStoredFields(third));
        QCOMPARE(FilesIn(f.dir.path()), QStringList{"QuizarStudent_ProtectionResult.qzpr"});
        QVERIFY(f.prompts.messages.isEmpty());
    }

    // A file written by another program with the same layout is extended, its records kept as
    // they were, even though trailing bytes after the last record are not part of the format.
    void foreignFileIsExtended() {
        Fixture f;
        f.settings.IsSaveProtectionResult = true;
        const QByteArray older = Bytes(Session("a")) + Bytes(Session("b"));
        WriteFile(f.ProtectedPath(), ProtectedFile(2, older + "tail"));
        QVERIFY(f.SaveProtectedResult(Session("c")).Ok());
        QCOMPARE(Unpack(ReadFile(f.ProtectedPath())), Header(3) + older + Bytes(Session("c")));
    }

    void brokenFileIsLeftUntouched_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("kind");
        const QByteArray one = Bytes(Session("a"));
        const QByteArray good = ProtectedFile(1, one);
        QTest::newRow("other signature") << "QuizarProtectionResulX" + good.mid(22) << int(Fault::WrongType);
        QTest::newRow("empty file") << QByteArray() << int(Fault::WrongType);
        QTest::newRow("shorter than the signature")
            << QByteArray("QuizarProtection") << int(Fault::WrongType);
        QTest::newRow("signature only") << QByteArray("QuizarProtectionResult") << int(Fault::Corrupt);
        QTest::newRow("not a zlib stream")
            << QByteArray("QuizarProtectionResult") + QByteArray(64, 'z') << int(Fault::Corrupt);
        QTest::newRow("stream cut short") << good.left(good.size() - 6) << int(Fault::Corrupt);
        QByteArray flipped = good;
        flipped[flipped.size() - 1] = char(flipped[flipped.size() - 1] ^ 0x55); // Adler-32 mismatch
        QTest::newRow("checksum wrong") << flipped << int(Fault::Corrupt);
        QTest::newRow("count larger than what follows") << ProtectedFile(2, one) << int(Fault::Corrupt);
        QTest::newRow("count absurd") << ProtectedFile(0x7FFFFFFF, one) << int(Fault::Corrupt);
        QTest::newRow("count negative") << ProtectedFile(-1, one) << int(Fault::Corrupt);
        QTest::newRow("record cut short")
            << ProtectedFile(1, one.left(one.size() - 1)) << int(Fault::Corrupt);
        QTest::newRow("no header") << ProtectedFile(0, QByteArray()).left(22) +
                                          QByteArray("\x78\xDA\x03\x00\x00\x00\x00\x01", 8)
                                   << int(Fault::Corrupt);
    }
    void brokenFileIsLeftUntouched() {
        QFETCH(QByteArray, content);
        QFETCH(int, kind);
        Fixture f;
        f.settings.IsSaveProtectionResult = true;
        WriteFile(f.ProtectedPath(), content);
        QCOMPARE(int(f.SaveProtectedResult(Session("new")).Failure()), kind);
        QCOMPARE(ReadFile(f.ProtectedPath()), content);
        QCOMPARE(FilesIn(f.dir.path()), QStringList{"QuizarStudent_ProtectionResult.qzpr"});
        QCOMPARE(f.prompts.messages.size(), 1);
        const auto& m = f.prompts.messages.first();
        if (kind == int(Fault::WrongType)) {
            QCOMPARE(m.caption, u"Ошибка!"_qs);
            QCOMPARE(m.text, u"Неверный тип файла!"_qs);
            QCOMPARE(m.icon, MsgIcon::Error);
        } else {
            QCOMPARE(m.caption, u"Увага!"_qs);
            QCOMPARE(m.text, u"Помилка запису у захищений файл результатів."_qs);
            QCOMPARE(m.icon, MsgIcon::Information);
        }
    }

    // A write that dies half-way (full disk, killed program) leaves the old file as it was and no
    // half-written file behind.
    void failedWriteKeepsOldFile_data() {
        QTest::addColumn<bool>("oldFileExists");
        QTest::addColumn<int>("failAfterChunks");
        QTest::newRow("first chunk") << true << 0;
        QTest::newRow("inside the stream") << true << 1;
        QTest::newRow("no old file") << false << 1;
    }
    void failedWriteKeepsOldFile() {
        QFETCH(bool, oldFileExists);
        QFETCH(int, failAfterChunks);
        Fixture f;
        f.settings.IsSaveProtectionResult = true;
        QByteArray many;
        for (int i = 0; i < 2000; ++i)
            many += Bytes(Session("pupil " + QByteArray::number(i)));
        const QByteArray old = ProtectedFile(2000, many);
        if (oldFileExists)
            WriteFile(f.ProtectedPath(), old);
        int chunks = 0;
        qint64 written = 0;
        f.files.SetWriteGate([&](QByteArrayView chunk) {
            if (chunks++ >= failAfterChunks)
                return false;
            written += chunk.size();
            return true;
        });
        QCOMPARE(f.SaveProtectedResult(Session("new")).Failure(), Fault::WriteFailed);
        QCOMPARE(chunks, failAfterChunks + 1);
        if (failAfterChunks > 0)
            QVERIFY(written > 0);
        QCOMPARE(QFile::exists(f.ProtectedPath()), oldFileExists);
        if (oldFileExists)
            QCOMPARE(ReadFile(f.ProtectedPath()), old);
        QCOMPARE(FilesIn(f.dir.path()).size(), oldFileExists ? 1 : 0);
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages.first().text, u"Помилка запису у захищений файл результатів."_qs);
    }

    // A disk that fills up or refuses a step of the write: nothing that was on the disk before is
    // lost or cut, and the pupil is told. The log's limit lies inside the new block, so part of it
    // is written before the disk is full.
    void failingDiskKeepsEveryFile_data() {
        QTest::addColumn<bool>("protectedFile");
        QTest::addColumn<DiskFault>("fault");
        QTest::addColumn<QString>("message");
        const QString protectedMessage = u"Помилка запису у захищений файл результатів."_qs;
        const QString logMessage = u"Помилка запису у файл результатів."_qs;
        QTest::newRow("protected results: disk full")
            << true << DiskFault{NoDiskCall, 0, 64} << protectedMessage;
        QTest::newRow("protected results: new file refused")
            << true << DiskFault{FailCreate, EROFS, -1} << protectedMessage;
        QTest::newRow("protected results: forcing to disk fails")
            << true << DiskFault{FailSync, EIO, -1} << protectedMessage;
        QTest::newRow("protected results: putting in place fails")
            << true << DiskFault{FailRename, EIO, -1} << protectedMessage;
        QTest::newRow("results log: disk full") << false << DiskFault{NoDiskCall, 0, 40} << logMessage;
        QTest::newRow("results log: forcing to disk fails")
            << false << DiskFault{FailSync, EIO, -1} << logMessage;
    }
    void failingDiskKeepsEveryFile() {
        QFETCH(bool, protectedFile);
        QFETCH(DiskFault, fault);
        QFETCH(QString, message);
        Fixture f;
        f.settings.IsSaveProtectionResult = true;
        QVERIFY(f.SaveProtectedResult(Session("a")).Ok());
        QVERIFY(f.AppendLogBlock(Session("a")).Ok());
        const QString path = protectedFile ? f.ProtectedPath() : f.LogPath();
        const QByteArray old = ReadFile(path);
        if (!protectedFile && fault.sizeLimit >= 0) // the log's limit counts from its old end
            fault.sizeLimit += old.size();
        const int result = RunOnFailingDisk(fault, [&] {
            const Status status =
                protectedFile ? f.SaveProtectedResult(Session("b")) : f.AppendLogBlock(Session("b"));
            if (status.Failure() != Fault::WriteFailed)
                return 1;
            return f.prompts.messages.size() == 1 && f.prompts.messages[0].text == message ? 0 : 2;
        });
        QCOMPARE(result, 0);
        QCOMPARE(ReadFile(path), old);
        QCOMPARE(FilesIn(f.dir.path()).size(), 2);
    }

    void unwritableFolderIsReported() {
        Fixture f;
        f.settings.IsSaveProtectionResult = true;
        f.settings.DirForResult = QFile::encodeName(f.dir.filePath("missing"));
        QCOMPARE(f.SaveProtectedResult(Session("x")).Failure(), Fault::WriteFailed);
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(FilesIn(f.dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestResultFiles)
#include "tst_resultfiles.moc"
