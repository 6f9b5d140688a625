#include "ScriptedPrompts.h"
#include "TestFixtures.h"
#include "model/AttachmentWriter.h"
#include "model/ByteReader.h"
#include "model/Cipher.h"
#include "model/Crc32.h"
#include "model/TestLoader.h"

#include <QFile>
#include <QTest>

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
        o.TempRoot = m_temp;
        o.ProgramFolder = m_dir.path();
        o.Ask = prompts;
        o.Now = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
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
        QCOMPARE(kProgramKey.ToBytes(), QByteArray("\x6D\x4E\x39\x30\xDE\xC0", 6));
        // With the 16-bit state: 'Q' ^ 0xDE = 0x8F; state = (0x2F * 0x4E6D + 0x3039) & 0xFFFF = 0x963C;
        // 'u' ^ 0x3C = 0x49.
        QCOMPARE(EncipherBuffer("Qu", kProgramKey), QByteArray("\x8F\x49"));
        QByteArray plain(70000, '\0');
        for (int i = 0; i < plain.size(); ++i)
            plain[i] = char(i * 7 + i / 256);
        const QByteArray stored = EncipherBuffer(plain, kProgramKey);
        QByteArray back(plain.size(), '\0');
        QVERIFY(DecipherBuffer(stored.constData(), stored.size(), back.data(), kProgramKey, back.size()));
        QCOMPARE(back, plain);
        QVERIFY(
            !DecipherBuffer(stored.constData(), stored.size(), back.data(), kProgramKey, back.size() - 1));
        QByteArray fromStream;
        QVERIFY(DecipherStream(stored, 0, fromStream, kProgramKey));
        QCOMPARE(fromStream, plain);
        QByteArray fromFile;
        QVERIFY(DecipherFile(Save(stored, "c.bin"), fromFile, kProgramKey));
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
        QTest::newRow("stored sample") << EncipherBuffer(random, kProgramKey);
    }
    void fastDecipherMatchesTheByteByByteOne() {
        QFETCH(QByteArray, stored);
        QByteArray serial = stored; // in place takes the plain loop
        CipherState(kProgramKey).Decipher(serial.constData(), serial.data(), serial.size());
        QByteArray fast(stored.size(), '\0');
        CipherState state(kProgramKey);
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
        test.RandomTaskOrder = test.EducationMode = test.AllowSkipping = test.MonoMode = true;
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
        QVERIFY2(disk.Ok(), qPrintable(disk.Detail));
        const LoadTestResult memory = LoadTest("server-name.qzf", &bytes, Options());
        QVERIFY2(memory.Ok(), qPrintable(memory.Detail));
        QVERIFY(disk.Loaded->FromFile);
        QVERIFY(!memory.Loaded->FromFile);
        QCOMPARE(memory.Loaded->Test->FileName, QString("server-name.qzf"));

        for (const LoadTestResult* r : {&disk, &memory}) {
            const TTest& t = *r->Loaded->Test;
            QCOMPARE(t.Title, test.Title);
            QCOMPARE(t.Marks, test.Marks);
            QCOMPARE(t.Themes.size(), 2);
            QCOMPARE(t.Themes[1].Name, QByteArray("One"));
            QCOMPARE(t.UId, test.UId);
            QCOMPARE(t.Saved, 45000.5);
            QVERIFY(t.RandomTaskOrder && t.EducationMode && t.AllowSkipping && t.MonoMode &&
                    !t.PenaliseWrong);
            QCOMPARE(t.StartPassword, QByteArray("go"));
            QVERIFY(r->Loaded->Tasks == tasks);
            QCOMPARE(t.Crc, BufferCrc32(bytes));
            QFile pic(AttachmentPath(t, "pic.png"));
            QVERIFY(pic.open(QIODevice::ReadOnly));
            QCOMPARE(pic.readAll(), TwoPictures()[0].Data);
            QVERIFY(QFileInfo::exists(AttachmentPath(t, "empty.bin")));
            QCOMPARE(QFileInfo(AttachmentPath(t, "empty.bin")).size(), 0);
            // Topic 1 holds one task and asks one; the general list holds the other seven.
            QCOMPARE(t.Themes[0].TaskCount, 7);
            QCOMPARE(t.Themes[1].TaskCount, 1);
            QCOMPARE(t.TotalAskCount, 8);
        }
        QCOMPARE(disk.Loaded->Test->Crc, FileCrc32(path));
        QVERIFY(disk.Loaded->Test->TempFolder != memory.Loaded->Test->TempFolder);
    }

    void foldersLiveExactlyAsLongAsTheTest() {
        const QString path = Save(WriteTestFile(TTest({}, {}, {}), {}, TwoPictures()));
        QString folder;
        {
            LoadTestResult r = LoadTest(path, nullptr, Options());
            QVERIFY(r.Ok());
            folder = r.Loaded->Test->TempFolder;
            QVERIFY(folder.startsWith(m_temp));
            QVERIFY(QFileInfo::exists(folder + "pic.png"));
            QCOMPARE(r.Loaded->Test->TotalAskCount, 0);
        }
        QVERIFY(!QFileInfo::exists(folder));
        // Without a temporary folder the attached files go beside the program.
        LoadOptions o = Options();
        o.TempRoot.clear();
        LoadTestResult r = LoadTest(path, nullptr, o);
        QVERIFY(r.Ok());
        QVERIFY(r.Loaded->Test->TempFolder.startsWith(m_dir.path() + "/{"));
    }

    void nothingToLoad() {
        QCOMPARE(LoadTest(QString(), nullptr, Options()).Failure, LoadFailure::NothingToLoad);
        QCOMPARE(LoadTest(m_dir.filePath("absent.qzf"), nullptr, Options()).Failure,
                 LoadFailure::NothingToLoad);
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
        QCOMPARE(LoadTest("t", &bytes, Options(&prompts)).Failure, LoadFailure::Cancelled);
        QCOMPARE(LoadTest("t", &bytes, Options(&prompts)).Failure, LoadFailure::WrongPassword);
        QVERIFY(FolderIsEmpty(m_temp));
        const LoadTestResult ok = LoadTest("t", &bytes, Options(&prompts));
        QVERIFY(ok.Ok());
        QCOMPARE(ok.Loaded->Tasks.size(), size_t(8));
        QCOMPARE(prompts.passwordRequests, 3);
    }

    void brokenFilesLeaveNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<LoadFailure>("failure");

        const QByteArray good = WriteTestFile(TTest({}, {}, {}), EveryKind(), TwoPictures());
        QTest::newRow("another key") << WriteTestFile(TTest({}, {}, {}), {}, {}, KeyRecord{1, 2, 3})
                                     << LoadFailure::WrongFileType;
        QTest::newRow("shorter than the signature") << good.left(4) << LoadFailure::WrongFileType;
        QTest::newRow("empty file") << QByteArray() << LoadFailure::WrongFileType;
        QTest::newRow("ends in the prefix") << good.left(8) << LoadFailure::LoadError;
        QTest::newRow("cut in half") << good.left(good.size() / 2) << LoadFailure::LoadError;
        QByteArray damaged = good;
        for (int i = 20; i < 60; ++i)
            damaged[i] = char(damaged[i] ^ 0x5A);
        QTest::newRow("damaged compressed data") << damaged << LoadFailure::LoadError;

        auto wrap = [](const QByteArray& payload) {
            QByteArray plain("Quizar");
            ByteWriter(plain).WriteString("skipped");
            return EncipherBuffer(plain + Deflate(payload), kProgramKey);
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
            return EncipherBuffer(plain, kProgramKey);
        }() << LoadFailure::LoadError;
        for (const char* name : {"", ".", "..", "../x", "a/b", "a\\b", "c:x"})
            QTest::addRow("unsafe name \"%s\"", name) << oneFile(name, 1, "x") << LoadFailure::LoadError;
        QTest::newRow("name with NUL") << oneFile(QByteArray("a\0b", 3), 1, "x") << LoadFailure::LoadError;
        QTest::newRow("file shorter than its size") << oneFile("a.png", 100, "xyz") << LoadFailure::LoadError;
        QTest::newRow("negative file size") << oneFile("a.png", -1, "") << LoadFailure::LoadError;
        QTest::newRow("negative file count")
            << withFiles([](ByteWriter& w) { w.WriteInt32(-1); }) << LoadFailure::LoadError;
        QTest::newRow("no file count") << withFiles([](ByteWriter&) {}) << LoadFailure::LoadError;
        QTest::newRow("huge file count")
            << withFiles([](ByteWriter& w) { w.WriteInt32(0x7FFFFFFF); }) << LoadFailure::LoadError;

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
        }) << LoadFailure::LoadError;
        QTest::newRow("negative key count") << oneTask([&](ByteWriter& w) {
            taskStart(w, MultipleChoice);
            w.WriteInt32(0);
            w.WriteInt32(-3);
            w.WriteInt32(0);
            w.WriteUInt8(0);
        }) << LoadFailure::LoadError;
        QTest::newRow("question longer than the data") << oneTask([&](ByteWriter& w) {
            w.WriteUInt8(InputText);
            w.WriteInt32(1 << 30);
            w.WriteBytes("short");
        }) << LoadFailure::LoadError;
        QTest::newRow("task cut short")
            << oneTask([&](ByteWriter& w) { taskStart(w, InputNum); }) << LoadFailure::LoadError;
        PayloadBuilder negativeTasks;
        negativeTasks.Header();
        negativeTasks.w.WriteInt32(-1);
        QTest::newRow("negative task count") << wrap(negativeTasks.bytes) << LoadFailure::LoadError;
        PayloadBuilder cutHeader;
        cutHeader.Header();
        QTest::newRow("header cut short")
            << wrap(cutHeader.bytes.left(cutHeader.bytes.size() - 3)) << LoadFailure::LoadError;
    }
    void brokenFilesLeaveNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(LoadFailure, failure);
        const LoadTestResult fromMemory = LoadTest("t", &bytes, Options());
        QCOMPARE(fromMemory.Failure, failure);
        QVERIFY(!fromMemory.Loaded);
        const LoadTestResult fromDisk = LoadTest(Save(bytes), nullptr, Options());
        QCOMPARE(fromDisk.Failure, failure);
        QVERIFY(FolderIsEmpty(m_temp));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("x")));
        QVERIFY(!LoadFailureText(failure).isEmpty());
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
            QVERIFY2(r.Ok(), qPrintable(r.Detail));
            QFile pic(AttachmentPath(*r.Loaded->Test, "pic.png"));
            QVERIFY(pic.open(QIODevice::ReadOnly));
            QCOMPARE(pic.readAll(), second);
        }
    }

    void attachmentWriterReportsAFailedWrite() {
        AttachmentWriter writer;
        QString error;
        QVERIFY(!writer.Open(m_dir.filePath("no/such/folder/x.png"), error));
        QVERIFY(error.contains("no/such/folder"));
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full to fill");
        QVERIFY(writer.Open("/dev/full", error));
        const QByteArray piece(300000, 'x');
        for (int i = 0; i < 20 && writer.Write(piece.constData(), piece.size()); ++i) {
        }
        writer.Close();
        QVERIFY(!writer.Finish(error));
        QVERIFY2(error.contains("/dev/full"), qPrintable(error));
        // A good file after a failed one is still written; the first failure is what is reported.
        const QString good = m_dir.filePath("good.bin");
        QVERIFY(writer.Open(good, error));
        writer.Close();
        QVERIFY(!writer.Finish(error));
        QVERIFY(QFileInfo::exists(good));
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
