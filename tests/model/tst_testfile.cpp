#include "FailingDisk.h"
#include "ScriptedPrompts.h"
#include "TestFixtures.h"
#include "model/AttachmentWriter.h"
#include "model/ByteReader.h"
#include "model/Cipher.h"
#include "model/Crc32.h"
#include "model/TestLoader.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <zlib.h>

namespace {

std::vector<Attachment> TwoPictures() {
    return {{"pic.png", QByteArray(100000, 'p')}, {"empty.bin", {}}};
}

bool FolderIsEmpty(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

// Compresses without the writer, so that the payload can be anything.
QByteArray Deflate(QByteArrayView payload) {
    uLongf bound = compressBound(uLong(payload.size()));
    QByteArray out(qsizetype(bound), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(out.data()), &bound, reinterpret_cast<const Bytef*>(payload.data()),
              uLong(payload.size()), 6);
    out.resize(qsizetype(bound));
    return out;
}

} // namespace

class TestTestFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_temp; // root of the attached-files folders

    LoadOptions Options(Prompts* prompts = nullptr) {
        LoadOptions o;
        o.tempRoot = m_temp;
        o.programFolder = m_dir.path();
        o.ask = prompts;
        o.now = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        return o;
    }
    QString Save(const QByteArray& bytes, const QString& name = "t.qzf") {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }

private slots:
    void init() {
        m_temp = m_dir.filePath("temp");
        QDir(m_temp).removeRecursively();
        QDir().mkpath(m_temp);
    }

    void cipherMatchesTheKeyAndRoundTrips() {
        QCOMPARE(ProgramKey.ToBytes(), QByteArray("\x6D\x4E\x39\x30\xDE\xC0", 6));
        // With the 16-bit state: 'Q' ^ 0xDE = 0x8F; state = (0x2F * 0x4E6D + 0x3039) & 0xFFFF = 0x963C;
        // 'u' ^ 0x3C = 0x49.
        QCOMPARE(EncipherBuffer("Qu", ProgramKey), QByteArray("\x8F\x49"));
        QByteArray plain(70000, '\0');
        for (int i = 0; i < plain.size(); ++i)
            plain[i] = char(i * 7 + i / 256);
        const QByteArray stored = EncipherBuffer(plain, ProgramKey);
        QByteArray back(plain.size(), '\0');
        QVERIFY(DecipherBuffer(stored.constData(), stored.size(), back.data(), ProgramKey, back.size()));
        QCOMPARE(back, plain);
        QVERIFY(!DecipherBuffer(stored.constData(), stored.size(), back.data(), ProgramKey, back.size() - 1));
        QByteArray fromStream;
        QVERIFY(DecipherStream(stored, 0, fromStream, ProgramKey));
        QCOMPARE(fromStream, plain);
        QByteArray fromFile;
        QVERIFY(DecipherFile(Save(stored, "c.bin"), fromFile, ProgramKey));
        QCOMPARE(fromFile, plain);
    }

    void fastDecipherMatchesTheByteByByteOne_data() {
        QTest::addColumn<QByteArray>("stored");
        QByteArray random(100003, '\0');
        quint32 x = 12345;
        for (char& c : random) {
            x = x * 1103515245u + 12345u;
            c = char(x >> 24);
        }
        QTest::newRow("random") << random;
        // Inputs under which runs from different states may never meet.
        QTest::newRow("zeros") << QByteArray(70001, '\0');
        QTest::newRow("ones") << QByteArray(70001, '\xFF');
        QTest::newRow("alternating") << QByteArray(70001, '\x55');
        QTest::newRow("stored sample") << EncipherBuffer(random, ProgramKey);
    }
    void fastDecipherMatchesTheByteByByteOne() {
        QFETCH(QByteArray, stored);
        QByteArray serial = stored; // in place takes the plain loop
        CipherState(ProgramKey).Decipher(serial.constData(), serial.data(), serial.size());
        QByteArray fast(stored.size(), '\0');
        CipherState state(ProgramKey);
        const qsizetype half = stored.size() / 2 + 17;
        state.Decipher(stored.constData(), fast.data(), half); // two pieces carry the state over
        state.Decipher(stored.constData() + half, fast.data() + half, stored.size() - half);
        QCOMPARE(fast, serial);
    }

    void crc32() {
        QCOMPARE(BufferCrc32(QByteArrayView("abc")), 0x352441C2u);
        QByteArray big(200000, 'z'); // more than three blocks of 65521 bytes
        big[150000] = 'q';
        QCOMPARE(FileCrc32(Save(big, "big.bin")), BufferCrc32(big));
        QCOMPARE(FileCrc32(m_dir.filePath("missing")), 0u);
    }

    void roundTripFromDiskAndMemory() {
        TTest test({}, {}, {});
        test.Title = "\xD2\xE5\xF1\xF2"; // "Тест"
        test.Author = "A";
        test.EducationMode = test.AllowSkipping = test.MonoMode = true;
        test.RandomTaskOrder = 1;
        test.RandomVariantOrder = 2; // kept as the stored byte
        test.TestTimeLimit = 600;
        test.StartPassword = "go";
        test.Marks = {{2, 0, "bad"}, {5, 90, "good"}};
        test.UId = NewGuidString();
        test.Saved = 45000.5;
        test.AddTheme(1, "One", true, 1, "c");
        test.UseThemes = true;
        const std::vector<TTask> tasks = EveryKind();
        const QByteArray bytes = WriteTestFile(test, tasks, TwoPictures());
        QCOMPARE(WriteTestFile(test, tasks, TwoPictures()), bytes); // deterministic
        const QString path = Save(bytes);

        const LoadTestResult disk = LoadTest(path, nullptr, Options());
        QVERIFY2(disk.Ok(), qPrintable(disk.status.Detail()));
        const LoadTestResult memory = LoadTest("server-name.qzf", &bytes, Options());
        QVERIFY2(memory.Ok(), qPrintable(memory.status.Detail()));
        QVERIFY(disk.loaded->fromFile);
        QVERIFY(!memory.loaded->fromFile);
        QCOMPARE(memory.loaded->test->FileName, QString("server-name.qzf"));

        for (const LoadTestResult* r : {&disk, &memory}) {
            const TTest& t = *r->loaded->test;
            QCOMPARE(t.Title, test.Title);
            QCOMPARE(t.Marks, test.Marks);
            QCOMPARE(t.Themes.size(), 2);
            QCOMPARE(t.Themes[1].Name, QByteArray("One"));
            QCOMPARE(t.UId, test.UId);
            QCOMPARE(t.Saved, 45000.5);
            QCOMPARE(t.RandomVariantOrder, quint8(2));
            QVERIFY(t.RandomTaskOrder && t.EducationMode && t.AllowSkipping && t.MonoMode &&
                    !t.PenaliseWrong);
            QCOMPARE(t.StartPassword, QByteArray("go"));
            QVERIFY(r->loaded->tasks == tasks);
            QCOMPARE(t.Crc, BufferCrc32(bytes));
            QFile pic(AttachmentPath(t, "pic.png"));
            QVERIFY(pic.open(QIODevice::ReadOnly));
            QCOMPARE(pic.readAll(), TwoPictures()[0].data);
            QVERIFY(QFileInfo::exists(AttachmentPath(t, "empty.bin")));
            QCOMPARE(QFileInfo(AttachmentPath(t, "empty.bin")).size(), 0);
            // Topic 1 holds one task and asks one; the general list holds the other seven.
            QCOMPARE(t.Themes[0].TaskCount, 7);
            QCOMPARE(t.Themes[1].TaskCount, 1);
            QCOMPARE(t.TotalAskCount, 8);
        }
        QCOMPARE(disk.loaded->test->Crc, FileCrc32(path));
        QVERIFY(disk.loaded->test->TempFolder != memory.loaded->test->TempFolder);
    }

    void foldersLiveExactlyAsLongAsTheTest() {
        const QString path = Save(WriteTestFile(TTest({}, {}, {}), {}, TwoPictures()));
        QString folder;
        {
            LoadTestResult r = LoadTest(path, nullptr, Options());
            QVERIFY(r.Ok());
            folder = r.loaded->test->TempFolder;
            QVERIFY(folder.startsWith(m_temp));
            QVERIFY(QFileInfo::exists(folder + "pic.png"));
            QCOMPARE(r.loaded->test->TotalAskCount, 0);
        }
        QVERIFY(!QFileInfo::exists(folder));
        // Without a temporary folder the attached files go beside the program.
        LoadOptions o = Options();
        o.tempRoot.clear();
        LoadTestResult r = LoadTest(path, nullptr, o);
        QVERIFY(r.Ok());
        QVERIFY(r.loaded->test->TempFolder.startsWith(m_dir.path() + "/{"));
    }

    void nothingToLoad() {
        QCOMPARE(LoadTest(QString(), nullptr, Options()).status.Failure(), Fault::NotFound);
        QCOMPARE(LoadTest(m_dir.filePath("absent.qzf"), nullptr, Options()).status.Failure(),
                 Fault::NotFound);
        QVERIFY(FolderIsEmpty(m_temp));
    }

    void openPassword() {
        TTest test({}, {}, {});
        test.OpenPassword = "Secret";
        const QByteArray bytes = WriteTestFile(test, EveryKind(), {});
        ScriptedPrompts prompts;
        prompts.passwords.enqueue(std::nullopt);
        prompts.passwords.enqueue(QByteArray("secret"));
        prompts.passwords.enqueue(QByteArray("Secret"));
        QCOMPARE(LoadTest("t", &bytes, Options(&prompts)).status.Failure(), Fault::Cancelled);
        QCOMPARE(LoadTest("t", &bytes, Options(&prompts)).status.Failure(), Fault::WrongPassword);
        QVERIFY(FolderIsEmpty(m_temp));
        const LoadTestResult ok = LoadTest("t", &bytes, Options(&prompts));
        QVERIFY(ok.Ok());
        QCOMPARE(ok.loaded->tasks.size(), size_t(8));
        QCOMPARE(prompts.passwordRequests, 3);
    }

    void brokenFilesLeaveNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Fault>("failure");

        const QByteArray good = WriteTestFile(TTest({}, {}, {}), EveryKind(), TwoPictures());
        QTest::newRow("another key") << WriteTestFile(TTest({}, {}, {}), {}, {}, KeyRecord{1, 2, 3})
                                     << Fault::WrongType;
        QTest::newRow("shorter than the signature") << good.left(4) << Fault::WrongType;
        QTest::newRow("empty file") << QByteArray() << Fault::WrongType;
        QTest::newRow("ends in the prefix") << good.left(8) << Fault::Corrupt;
        QTest::newRow("cut in half") << good.left(good.size() / 2) << Fault::Corrupt;
        QByteArray damaged = good;
        for (int i = 20; i < 60; ++i)
            damaged[i] = char(damaged[i] ^ 0x5A);
        QTest::newRow("damaged compressed data") << damaged << Fault::Corrupt;

        auto wrap = [](const QByteArray& payload) {
            QByteArray plain("Quizar");
            ByteWriter(plain).WriteString("skipped");
            return EncipherBuffer(plain + Deflate(payload), ProgramKey);
        };
        auto withFiles = [&](auto addFiles) {
            PayloadBuilder p;
            p.Header();
            p.w.WriteInt32(0); // no tasks
            addFiles(p.w);
            return wrap(p.bytes);
        };
        auto oneFile = [&](const QByteArray& name, qint32 size, const QByteArray& data) {
            return withFiles([&](ByteWriter& w) {
                w.WriteInt32(1);
                w.WriteString(name);
                w.WriteInt32(size);
                w.WriteBytes(data);
            });
        };
        QTest::newRow("negative skipped length") << [] {
            QByteArray plain("Quizar");
            ByteWriter(plain).WriteInt32(-5);
            return EncipherBuffer(plain, ProgramKey);
        }() << Fault::Corrupt;
        for (const char* name : {"", ".", "..", "../x", "a/b", "a\\b", "c:x"})
            QTest::addRow("unsafe name \"%s\"", name) << oneFile(name, 1, "x") << Fault::Corrupt;
        QTest::newRow("name with NUL") << oneFile(QByteArray("a\0b", 3), 1, "x") << Fault::Corrupt;
        QTest::newRow("file shorter than its size") << oneFile("a.png", 100, "xyz") << Fault::Corrupt;
        QTest::newRow("negative file size") << oneFile("a.png", -1, "") << Fault::Corrupt;
        QTest::newRow("negative file count")
            << withFiles([](ByteWriter& w) { w.WriteInt32(-1); }) << Fault::Corrupt;
        QTest::newRow("no file count") << withFiles([](ByteWriter&) {}) << Fault::Corrupt;
        QTest::newRow("huge file count")
            << withFiles([](ByteWriter& w) { w.WriteInt32(0x7FFFFFFF); }) << Fault::Corrupt;

        auto oneTask = [&](auto writeTask) {
            PayloadBuilder p;
            p.Header();
            p.w.WriteInt32(1);
            writeTask(p.w);
            p.w.WriteInt32(0);
            return wrap(p.bytes);
        };
        auto taskStart = [](ByteWriter& w, quint8 kind) {
            w.WriteUInt8(kind);
            w.WriteString("q");
            w.WriteString("");
            for (int i = 0; i < 2; ++i)
                w.WriteInt32(1);
            w.WriteString("");
            w.WriteInt32(0);
            w.WriteString("");
            w.WriteInt32(0);
        };
        QTest::newRow("eleven variants") << oneTask([&](ByteWriter& w) {
            taskStart(w, SingleChoice);
            w.WriteInt32(11);
            for (int i = 0; i < 11; ++i)
                w.WriteString("v");
            w.WriteInt32(0);
            w.WriteInt32(0);
            w.WriteUInt8(0);
        }) << Fault::Corrupt;
        QTest::newRow("negative key count") << oneTask([&](ByteWriter& w) {
            taskStart(w, MultipleChoice);
            w.WriteInt32(0);
            w.WriteInt32(-3);
            w.WriteInt32(0);
            w.WriteUInt8(0);
        }) << Fault::Corrupt;
        QTest::newRow("question longer than the data") << oneTask([&](ByteWriter& w) {
            w.WriteUInt8(InputText);
            w.WriteInt32(1 << 30);
            w.WriteBytes("short");
        }) << Fault::Corrupt;
        QTest::newRow("task cut short")
            << oneTask([&](ByteWriter& w) { taskStart(w, InputNum); }) << Fault::Corrupt;
        PayloadBuilder negativeTasks;
        negativeTasks.Header();
        negativeTasks.w.WriteInt32(-1);
        QTest::newRow("negative task count") << wrap(negativeTasks.bytes) << Fault::Corrupt;
        PayloadBuilder cutHeader;
        cutHeader.Header();
        QTest::newRow("header cut short")
            << wrap(cutHeader.bytes.left(cutHeader.bytes.size() - 3)) << Fault::Corrupt;
    }
    void brokenFilesLeaveNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(Fault, failure);
        const LoadTestResult fromMemory = LoadTest("t", &bytes, Options());
        QCOMPARE(fromMemory.status.Failure(), failure);
        QVERIFY(!fromMemory.loaded);
        const LoadTestResult fromDisk = LoadTest(Save(bytes), nullptr, Options());
        QCOMPARE(fromDisk.status.Failure(), failure);
        QVERIFY(FolderIsEmpty(m_temp));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("x")));
        QVERIFY(LoadFailureNotice(failure).has_value());
    }

    // Two attached files of one name: the later one is what lies on disk, byte for byte, also when
    // the earlier one is still being written as the later one begins.
    void lastAttachedFileOfANameWins() {
        QByteArray first(600000, Qt::Uninitialized);
        for (qsizetype i = 0; i < first.size(); ++i)
            first[i] = char(i * 7 + i / 1000);
        const QByteArray second = "the second picture";
        const QString path =
            Save(WriteTestFile(TTest({}, {}, {}), {}, {{"pic.png", first}, {"pic.png", second}}));
        for (int run = 0; run < 3; ++run) {
            LoadTestResult r = LoadTest(path, nullptr, Options());
            QVERIFY2(r.Ok(), qPrintable(r.status.Detail()));
            QFile pic(AttachmentPath(*r.loaded->test, "pic.png"));
            QVERIFY(pic.open(QIODevice::ReadOnly));
            QCOMPARE(pic.readAll(), second);
        }
    }

    void attachmentWriterReportsAFailedWrite() {
        AttachmentWriter writer;
        const Status missing = writer.Open(m_dir.filePath("no/such/folder/x.png"));
        QVERIFY(!missing.Ok());
        QVERIFY(missing.Detail().contains("no/such/folder"));
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full to fill");
        QVERIFY(writer.Open("/dev/full").Ok());
        const QByteArray piece(300000, 'x');
        for (int i = 0; i < 20 && writer.Write(piece.constData(), piece.size()); ++i) {
        }
        writer.Close();
        const Status full = writer.Finish();
        QVERIFY(!full.Ok());
        QVERIFY2(full.Detail().contains("/dev/full"), qPrintable(full.Detail()));
        // A good file after a failed one is still written; the first failure is what is reported.
        const QString good = m_dir.filePath("good.bin");
        QVERIFY(writer.Open(good).Ok());
        writer.Close();
        QVERIFY(!writer.Finish().Ok());
        QVERIFY(QFileInfo::exists(good));
    }

    // The temporary folder is shared by every user of the computer: a test's folder is made new,
    // for its user alone, and a name someone took first (with a folder or a link) is never used.
    void attachedFilesFolderIsNewAndPrivate() {
        const QString path = Save(WriteTestFile(TTest({}, {}, {}), {}, TwoPictures()));
        LoadTestResult r = LoadTest(path, nullptr, Options());
        QVERIFY(r.Ok());
        struct stat made {};
        QCOMPARE(::lstat(QFile::encodeName(r.loaded->test->TempFolder).constData(), &made), 0);
        QVERIFY(S_ISDIR(made.st_mode));
        QCOMPARE(made.st_mode & 07777, mode_t(0700));

        // Names someone else took: a link to another user's folder, a folder, a dangling link.
        const QString victim = m_dir.filePath("victim");
        QVERIFY(QDir().mkpath(victim));
        QVERIFY(QFile::link(victim, m_temp + "/taken-link"));
        QVERIFY(QDir().mkpath(m_temp + "/taken-folder"));
        QVERIFY(QFile::link(m_temp + "/nowhere", m_temp + "/taken-dangling"));
        QStringList names = {"taken-link", "taken-folder", "taken-dangling", "fresh"};
        QString error;
        const QString folder = MakePrivateFolder(m_temp, error, [&] { return names.takeFirst(); });
        QCOMPARE(folder, m_temp + "/fresh/");
        QVERIFY(error.isEmpty());
        QVERIFY(FolderIsEmpty(victim));
        QVERIFY(FolderIsEmpty(m_temp + "/taken-folder"));
        QVERIFY(QFileInfo(m_temp + "/taken-dangling").isSymLink());
        QVERIFY(!QFileInfo::exists(m_temp + "/nowhere"));

        // When every name is taken there is no folder, and the reason names the last one tried.
        const QString none = MakePrivateFolder(m_temp, error, [] { return QStringLiteral("taken-link"); });
        QVERIFY(none.isEmpty());
        QVERIFY2(error.contains("taken-link"), qPrintable(error));
        QVERIFY(FolderIsEmpty(victim));
    }

    // A folder that cannot be made: a test with attached files is refused, one without any loads,
    // and no picture is ever looked for beside the working folder.
    void aTestWithoutItsFolder() {
        const QString blocker = m_dir.filePath("file-not-folder");
        Save("x", "file-not-folder");
        LoadOptions o = Options();
        o.tempRoot = blocker + "/temp";
        const QString withFiles = Save(WriteTestFile(TTest({}, {}, {}), {}, TwoPictures()));
        const LoadTestResult refused = LoadTest(withFiles, nullptr, o);
        QCOMPARE(refused.status.Failure(), Fault::WriteFailed);
        QVERIFY2(refused.status.Detail().contains("file-not-folder"), qPrintable(refused.status.Detail()));
        const QString withoutFiles = Save(WriteTestFile(TTest({}, {}, {}), EveryKind(), {}), "plain.qzf");
        const LoadTestResult loaded = LoadTest(withoutFiles, nullptr, o);
        QVERIFY(loaded.Ok());
        QVERIFY(loaded.loaded->test->TempFolder.isEmpty());
        QCOMPARE(AttachmentPath(*loaded.loaded->test, "pic.png"), QString());
    }

    // Attached files that would take more than the cap, or more than the disk has free beyond what
    // the results need, are refused before the file that would not fit is written; the folder goes.
    void attachedFilesThatWouldNotFit_data() {
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<qint64>("free"); // -1: the system does not say
        QTest::addColumn<bool>("loads");
        const qint64 total = 100000; // TwoPictures
        QTest::newRow("fits") << total << AttachedFilesReserve + total << true;
        QTest::newRow("over the cap") << total - 1 << AttachedFilesReserve + total << false;
        QTest::newRow("the disk has no room") << total << AttachedFilesReserve + total - 1 << false;
        QTest::newRow("a disk that is full already") << total << qint64(0) << false;
        QTest::newRow("free space unknown") << total << qint64(-1) << true;
    }
    void attachedFilesThatWouldNotFit() {
        QFETCH(qint64, cap);
        QFETCH(qint64, free);
        QFETCH(bool, loads);
        LoadOptions o = Options();
        o.maxAttachedBytes = cap;
        QString asked;
        o.freeBytes = [&](const QString& folder) {
            asked = folder;
            return free;
        };
        const QByteArray bytes = WriteTestFile(TTest({}, {}, {}), {}, TwoPictures());
        const LoadTestResult r = LoadTest("t.qzf", &bytes, o);
        QVERIFY(asked.startsWith(m_temp + "/{"));
        QCOMPARE(r.Ok(), loads);
        if (!loads) {
            QCOMPARE(r.status.Failure(), Fault::WriteFailed);
            QCOMPARE(LoadFailureNotice(r.status.Failure())->text, u"Помилка завантаження тесту!"_qs);
            QVERIFY(FolderIsEmpty(m_temp));
        }
    }

    // The disk fills up or refuses while the attached files are written: the load fails with its
    // message and leaves no folder behind.
    void failingDiskWhileWritingAttachedFiles_data() {
        QTest::addColumn<DiskFault>("fault");
        QTest::newRow("full inside the first file") << DiskFault{NoDiskCall, 0, 100};
        QTest::newRow("full inside the second file") << DiskFault{NoDiskCall, 0, 1000};
        QTest::newRow("files cannot be created") << DiskFault{FailCreate, EROFS, -1};
        QTest::newRow("the folder cannot be made") << DiskFault{FailMakeFolder, ENOSPC, -1};
    }
    void failingDiskWhileWritingAttachedFiles() {
        SKIP_IF_FORKED_CHILDREN_CANNOT_START_THREADS();
        QFETCH(DiskFault, fault);
        std::vector<Attachment> files = TwoPictures();
        files.insert(files.begin(), {"small.png", QByteArray(500, 's')});
        const QString path = Save(WriteTestFile(TTest({}, {}, {}), EveryKind(), files));
        const int result = RunOnFailingDisk(fault, [&] {
            const LoadTestResult r = LoadTest(path, nullptr, Options());
            return r.status.Failure() == Fault::WriteFailed && !r.loaded &&
                           LoadFailureNotice(r.status.Failure())->text == u"Помилка завантаження тесту!"_qs
                       ? 0
                       : 1;
        });
        QCOMPARE(result, 0);
        QVERIFY(FolderIsEmpty(m_temp));
    }

    void headerDefaultsAndTopics() {
        TTest fresh(m_temp, {}, QDateTime(QDate(1900, 1, 1), QTime(12, 0)));
        QCOMPARE(fresh.Marks, TTest::DefaultMarks());
        QCOMPARE(fresh.Created, 2.5);
        QCOMPARE(fresh.ThemeCount(), 1);
        QVERIFY(fresh.AllowSendResults && fresh.WholeAnswerOnly);
        QVERIFY(QFileInfo(fresh.TempFolder).isDir());
        QCOMPARE(fresh.TempFolder.size(), m_temp.size() + 1 + 38 + 1);

        TTest stored({}, {}, {});
        stored.Marks.clear();                            // no grades at all
        stored.Themes.clear();                           // no general list stored
        stored.Themes.append({3, "a", "", 7, false, 0}); // not limited: count ignored
        stored.Themes.append({4, "b", "", 2, true, 0});
        stored.Themes.append({3, "a2", "x", 5, true, 0}); // same Id: overwrites
        QByteArray bytes;
        ByteWriter w(bytes);
        stored.WriteHeader(w);
        TTest read({}, {}, {});
        ByteReader r(bytes);
        QVERIFY(read.ReadHeader(r));
        QVERIFY(read.Marks.isEmpty());
        QCOMPARE(read.ThemeCount(), 3);
        QCOMPARE(read.Themes[0], TTest::DefaultTheme());
        QCOMPARE(read.Themes[1], (TTheme{3, "a2", "x", 5, true, 0}));
        QCOMPARE(read.Themes[2], (TTheme{4, "b", "", 2, true, 0}));
        read.AddTheme(4, "b", false, 7, "");
        QCOMPARE(read.Themes[2].AskCount, 0);
    }

    void marks() {
        TTest t({}, {}, {});
        t.SetMarkCount(5); // same count: nothing changes
        QCOMPARE(t.GetMark(4).Percent, 85);
        t.SetMarkCount(3);
        QCOMPARE(t.Marks, (QList<TMark>{{1, 0, {}}, {2, 0, {}}, {3, 0, {}}}));
        t.SetMark(3, 60, "top");
        t.SetMark(0, 1, "ignored");
        t.SetMark(4, 1, "ignored");
        QCOMPARE(t.GetMark(2), (TMark{3, 60, "top"}));
        QCOMPARE(t.GetMark(7), TMark{});
    }

    void topicCounts_data() {
        QTest::addColumn<bool>("limited");
        QTest::addColumn<int>("askCount");
        QTest::addColumn<int>("total");
        // Topic 1 holds 3 tasks, the general list 1; one task's topic does not exist.
        QTest::newRow("unlimited") << false << 0 << 4;
        QTest::newRow("limited below") << true << 2 << 3;
        QTest::newRow("limited above the topic's size") << true << 9 << 4;
        QTest::newRow("limited to none") << true << 0 << 1;
        // The other topic's task still counts: a negative share is none, not a debt.
        QTest::newRow("limited to a negative count") << true << -2 << 1;
    }
    void topicCounts() {
        QFETCH(bool, limited);
        QFETCH(int, askCount);
        QFETCH(int, total);
        TTest t({}, {}, {});
        t.UseThemes = true;
        t.AddTheme(1, "one", limited, askCount, "");
        std::vector<TTask> tasks(5, TTask(SingleChoice));
        tasks[1].ThemeId = tasks[2].ThemeId = tasks[3].ThemeId = 1;
        tasks[4].ThemeId = 77;
        CountTasks(t, tasks);
        QCOMPARE(t.Themes[0].TaskCount, 1);
        QCOMPARE(t.Themes[1].TaskCount, 3);
        QCOMPARE(t.TotalAskCount, total);
        t.UseThemes = false;
        CountTasks(t, tasks);
        QCOMPARE(t.TotalAskCount, 5);
        QCOMPARE(t.Themes[1].TaskCount, 0);
    }

    void taskRecords() {
        // Kind 1 with three variants is written with all ten slots and reads back the same.
        TTask single(SingleChoice);
        single.Variants[0] = "a";
        single.Variants[2] = "c";
        single.Keys[2] = 1;
        QCOMPARE(single.LastVariant(), 3);
        QVERIFY(single.IsKeyRight(2) && !single.IsKeyRight(0));
        QByteArray bytes;
        ByteWriter w(bytes);
        single.WriteTask(w);
        ByteReader r(bytes);
        TTask back;
        QVERIFY(back.ReadTask(r) && r.AtEnd());
        QVERIFY(back == single);
        // kind, four empty strings, four int32, V and ten variants ("a" and "c"), K and ten keys, reserved
        QCOMPARE(bytes.size(), 1 + 16 + 16 + (4 + 10 * 4 + 2) + (4 + 40) + 5);

        // Kinds without answer data go straight from the topic to the reserved items.
        for (quint8 kind : {quint8(0), quint8(9)}) {
            QByteArray raw;
            ByteWriter rw(raw);
            rw.WriteUInt8(kind);
            for (int i = 0; i < 2; ++i)
                rw.WriteString("s");
            rw.WriteInt32(2);
            rw.WriteInt32(0);
            rw.WriteString("");
            rw.WriteInt32(0);
            rw.WriteString("");
            rw.WriteInt32(5);
            rw.WriteInt32(0);
            rw.WriteUInt8(0);
            ByteReader rr(raw);
            TTask t;
            QVERIFY(t.ReadTask(rr) && rr.AtEnd());
            QCOMPARE(t.Kind, kind);
            QCOMPARE(t.ThemeId, 5);
            QCOMPARE(TTask(kind).Kind, quint8(0));
        }

        // A kind 3 record with four variants and four keys.
        QByteArray raw;
        ByteWriter rw(raw);
        rw.WriteUInt8(Ordering);
        rw.WriteString("q");
        rw.WriteString("");
        rw.WriteInt32(1);
        rw.WriteInt32(0);
        rw.WriteString("");
        rw.WriteInt32(0);
        rw.WriteString("");
        rw.WriteInt32(0);
        rw.WriteInt32(4);
        for (const char* v : {"a", "b", "c", "d"})
            rw.WriteString(v);
        rw.WriteInt32(4);
        for (int k : {3, 1, 4, 2})
            rw.WriteInt32(k);
        rw.WriteInt32(0);
        rw.WriteUInt8(0);
        ByteReader rr(raw);
        TTask ordering;
        QVERIFY(ordering.ReadTask(rr));
        QCOMPARE(ordering.LastVariant(), 4);
        QCOMPARE(ordering.Keys[3], 2);
        QCOMPARE(ordering.Keys[4], 0);

        // The area's edges belong to it.
        const TArea area{10, 20, 30, 40};
        QVERIFY(area.Contains(40, 60) && area.Contains(10, 20));
        QVERIFY(!area.Contains(41, 60) && !area.Contains(40, 61) && !area.Contains(9, 30));
    }

    void deleteFolder() {
        const QString root = m_dir.filePath("del");
        QDir().mkpath(root + "/sub/deeper");
        for (const QString& f : {root + "/a.txt", root + "/sub/b.txt", root + "/sub/deeper/c.txt"}) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        QFile::setPermissions(root + "/a.txt", QFile::ReadOwner); // read-only files go too
        QVERIFY(DeleteFolder(root));
        QVERIFY(!QFileInfo::exists(root));
        QVERIFY(!DeleteFolder(root));
    }

    void guidForm() {
        const QByteArray g = NewGuidString();
        QCOMPARE(g.size(), 38);
        QVERIFY(QRegularExpression("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$")
                    .match(QString::fromLatin1(g))
                    .hasMatch());
        QVERIFY(NewGuidString() != g);
    }
};

QTEST_GUILESS_MAIN(TestTestFile)
#include "tst_testfile.moc"
