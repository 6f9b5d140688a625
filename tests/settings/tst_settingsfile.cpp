#include "ScriptedPrompts.h"
#include "model/TextCodec.h"
#include "settings/EndSound.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FailingDisk.h"
#include "TestFiles.h"

namespace {

// The file that SaveConfig writes for the built-in defaults.
const QString DefaultFile =
    QStringLiteral(u"[Save]\r\nIsSaveResult=1\r\nIsSaveProtectionResult=0\r\nIsSaveConfig=0\r\n"
                   u"IsUseWindowSettings=0\r\n"
                   u"[Net]\r\nIsSendResult=0\r\nRemotePort=5005\r\nRemoteHost=127.0.0.1\r\n"
                   u"IsAutoGetTestFromStart=0\r\n"
                   u"[Dir]\r\nInitialDirOpenTest=\r\nDirForResult=\r\n"
                   u"[Colors]\r\nColorCorrect=14218716\r\nColorError=13428479\r\n"
                   u"ColorCollation1=15718645\r\nColorCollation2=14216949\r\n"
                   u"ColorCollation3=14218734\r\nColorCollation4=14218719\r\n"
                   u"ColorCollation5=14677464\r\nColorCollation6=15660504\r\n"
                   u"ColorCollation7=16117464\r\nColorCollation8=16113624\r\n"
                   u"ColorCollation9=16111839\r\nColorCollation10=16111854\r\n"
                   u"[DefaultUser]\r\nTitleUserName=\r\nTitleUserGroup=\r\n"
                   u"DefaultUserName=Фамилия Имя\r\nDefaultUserGroup=Класс\r\n"
                   u"UserNameExpression=^[А-ЯІЇЄҐ]{1}(['’]{0,1}[а-яіїєґ]){1,}"
                   u"(-[А-ЯІЇЄҐ]{1}(['’]{0,1}[а-яіїєґ]){1,}){0,1} [А-ЯІЇЄҐ]{1}(['’]{0,1}[а-яіїєґ]){1,}$\r\n"
                   u"UserGroupExpression=^[1-9]{1}[0-1]{0,1} [А-ЯІЇЄҐа-яіїєґ]{1}$\r\n"
                   u"UserNameExample=Иванов Иван\r\nUserGroupExample=10 А\r\n"
                   u"IsSaveLastUser=1\r\n"
                   u"[ResultUser]\r\nIsShowUserResult=1\r\nIsShowDetailReportModeEducation=1\r\n"
                   u"IsShowDetailReportModeNormal=0\r\n"
                   u"[Sound]\r\nIsUseSound=1\r\nIsUseDefaultSound=1\r\nSoundFileName=\r\n"
                   u"SoundFileDir=\r\n");

struct Fixture {
    QTemporaryDir dir;
    TSettings settings;
    ScriptedPrompts prompts;
    QString Path() const { return dir.filePath("QuizarStudent_Config.txt"); }
    // As the window does it: a failure is told in the settings file's message box.
    bool Load() {
        const bool ok = LoadConfig(settings, dir.path()).Ok();
        if (!ok)
            prompts.Show(ConfigLoadFailedNotice());
        return ok;
    }
    bool Save() {
        const bool ok = SaveConfig(settings, dir.path()).Ok();
        if (!ok)
            prompts.Show(ConfigSaveFailedNotice());
        return ok;
    }
};
} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void defaultsAreTheDocumentedOnes() {
        TSettings s;
        s.ResultFileName = "changed.txt";
        s.RemotePort = 1;
        SetDefaultConfig(s);
        QCOMPARE(s.ResultFileName, QByteArray("QuizarStudent_Result.txt"));
        QCOMPARE(s.RemotePort, 5005);
        QCOMPARE(s.UserGroupExample, QByteArray("10 \xC0"));
        QCOMPARE(ConfigFilePath(s, "/opt/q/"), QStringLiteral("/opt/q/QuizarStudent_Config.txt"));
    }

    void missingFileChangesNothing() {
        Fixture f;
        QVERIFY(f.Load());
        QCOMPARE(f.settings, TSettings{});
        QVERIFY(f.prompts.messages.isEmpty());
        QVERIFY(!QFile::exists(f.Path()));
    }

    // Each file is read over the defaults; only the named settings differ afterwards.
    void readingOverCurrentValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("changed");
        QTest::newRow("port only") << QByteArray("[Net]\r\nRemotePort=6000\r\n") << QByteArray("RemotePort");
        QTest::newRow("0x port") << QByteArray("[net]\r\nremoteport=0x1389\r\n") << QByteArray("RemotePort");
        QTest::newRow("$ port") << QByteArray("[NET]\r\nRemotePort = $1389\r\n") << QByteArray("RemotePort");
        QTest::newRow("bool as word keeps value")
            << QByteArray("[Save]\r\nIsSaveResult=yes\r\n") << QByteArray();
        QTest::newRow("bool as 0") << QByteArray("[Save]\r\nIsSaveResult=0\r\n")
                                   << QByteArray("IsSaveResult");
        QTest::newRow("number not a number") << QByteArray("[Net]\r\nRemotePort=many\r\n") << QByteArray();
        QTest::newRow("key in wrong section") << QByteArray("[Save]\r\nRemotePort=6000\r\n") << QByteArray();
        QTest::newRow("empty string value")
            << QByteArray("[Net]\r\nRemoteHost=\r\n") << QByteArray("RemoteHost");
        QTest::newRow("colour") << QByteArray("[Colors]\r\nColorCollation10=$00FF00\r\n")
                                << QByteArray("ColorCollation10");
    }
    void readingOverCurrentValues() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, changed);
        Fixture f;
        WriteFile(f.Path(), file);
        QVERIFY(f.Load());
        TSettings expected;
        if (changed == "RemotePort")
            expected.RemotePort = file.contains("6000") ? 6000 : 5001;
        else if (changed == "IsSaveResult")
            expected.IsSaveResult = false;
        else if (changed == "RemoteHost")
            expected.RemoteHost.clear();
        else if (changed == "ColorCollation10")
            expected.ColorCollation[9] = 0x00FF00;
        QCOMPARE(f.settings, expected);
    }

    void nonZeroNumberIsTrue() {
        Fixture f;
        WriteFile(f.Path(), "[Save]\r\nIsSaveConfig=2\r\nIsSaveResult=-1\r\n");
        f.settings.IsSaveResult = false;
        QVERIFY(f.Load());
        QVERIFY(f.settings.IsSaveConfig);
        QVERIFY(f.settings.IsSaveResult);
    }

    // "Load now" during a run: keys missing from the file keep the run's values, not the defaults.
    void loadNowKeepsRunValuesOfMissingKeys() {
        Fixture f;
        WriteFile(f.Path(), "[Colors]\r\nColorCorrect=1\r\n");
        f.settings.ColorError = 0x123456;
        f.settings.ResultFileName = "run.txt";
        QVERIFY(f.Load());
        QCOMPARE(f.settings.ColorCorrect, 1u);
        QCOMPARE(f.settings.ColorError, 0x123456u);
        QCOMPARE(f.settings.ResultFileName, QByteArray("run.txt"));
    }

    void savingDefaultsWritesEveryFileSettingInOrder() {
        Fixture f;
        f.settings.ResultFileName = "other.txt"; // run-time only, never written
        QVERIFY(f.Save());
        QCOMPARE(ReadFile(f.Path()), Cp(DefaultFile));
        QCOMPARE(SettingsFileKeys().size(), 38);
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void saveKeepsForeignLinesAndRoundTrips() {
        Fixture f;
        WriteFile(f.Path(),
                  "; teacher's note\r\n[Net]\r\nRemoteHost=old\r\nProxy=none\r\n[Extra]\r\nX=1\r\n");
        TSettings& s = f.settings;
        s.RemoteHost = "10.0.0.5";
        s.RemotePort = -3;
        s.IsSaveConfig = true;
        s.ColorCollation[4] = 0xFFFFFFFF;
        s.DirForResult = Cp(u"/home/вчитель/результати"_qs);
        s.UserNameExpression.clear();
        QVERIFY(f.Save());
        const QByteArray file = ReadFile(f.Path());
        QVERIFY(file.startsWith(
            "; teacher's note\r\n[Net]\r\nRemoteHost=10.0.0.5\r\nProxy=none\r\nIsSendResult=0\r\n"));
        QVERIFY(file.contains("[Extra]\r\nX=1\r\n[Save]\r\n"));
        QVERIFY(file.contains("ColorCollation5=-1\r\n"));

        TSettings back;
        QVERIFY(ReadConfig(back, f.Path()).Ok());
        QCOMPARE(back, s);
    }

    // Files the fuzzer found a setting in that changed with every save; each must read the same
    // after it is saved (a CR inside a value read as part of it, and was written as a blank).
    void fuzzFindingsReadBackAsSaved() {
        const QDir data(QStringLiteral(QUIZAR_TEST_DATA "/settings/fuzz"));
        const QStringList names = data.entryList({QStringLiteral("*.bin")}, QDir::Files);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names) {
            Fixture f;
            WriteFile(f.Path(), ReadFile(data.filePath(name)));
            QVERIFY(f.Load());
            const TSettings read = f.settings;
            QVERIFY(f.Save());
            TSettings again;
            QVERIFY(ReadConfig(again, f.Path()).Ok());
            QVERIFY2(again == read, qPrintable(name));
        }
    }

    void failuresAreReportedAndFilesKept() {
        Fixture f;
        // A settings "file" that is a folder cannot be read, nor replaced.
        QVERIFY(QDir(f.dir.path()).mkdir("QuizarStudent_Config.txt"));
        f.settings.RemotePort = 1234;
        QVERIFY(!f.Load());
        QCOMPARE(f.settings.RemotePort, 1234);
        QVERIFY(!f.Save());
        QVERIFY(QFileInfo(f.Path()).isDir());
        QCOMPARE(f.prompts.messages.size(), 2);
        QCOMPARE(f.prompts.messages[0].caption, u"QuizarStudent"_qs);
        QCOMPARE(f.prompts.messages[0].text, u"Помилка при завантаженні параметрів програми!"_qs);
        QCOMPARE(f.prompts.messages[0].icon, MsgIcon::None);
        QCOMPARE(f.prompts.messages[1].text, u"Помилка при збереженні параметрів програми!"_qs);

        // A folder that does not exist cannot take the file.
        Fixture g;
        g.settings.ConfigDir = QFile::encodeName(g.dir.filePath("missing"));
        QVERIFY(!g.Save());
        QCOMPARE(g.prompts.messages.size(), 1);
        QVERIFY(QDir(g.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }

    // On a disk that fills up or refuses a step of the save, the settings file stays as it was and
    // the failure is told.
    void failingDiskKeepsSettingsFile_data() {
        QTest::addColumn<DiskFault>("fault");
        QTest::newRow("disk full halfway") << DiskFault{NoDiskCall, 0, 600};
        QTest::newRow("new file refused") << DiskFault{FailCreate, EROFS, -1};
        QTest::newRow("forcing to disk fails") << DiskFault{FailSync, EIO, -1};
        QTest::newRow("putting in place fails") << DiskFault{FailRename, EIO, -1};
    }
    void failingDiskKeepsSettingsFile() {
        QFETCH(DiskFault, fault);
        Fixture f;
        QVERIFY(f.Save());
        const QByteArray old = ReadFile(f.Path());
        QVERIFY(old.size() > fault.sizeLimit);
        f.settings.RemoteHost = "server.school";
        const int result = RunOnFailingDisk(fault, [&] {
            return !f.Save() && f.prompts.messages.size() == 1 &&
                           f.prompts.messages[0].text == u"Помилка при збереженні параметрів програми!"_qs
                       ? 0
                       : 1;
        });
        QCOMPARE(result, 0);
        QCOMPARE(ReadFile(f.Path()), old);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void endSound_data() {
        QTest::addColumn<bool>("useSound");
        QTest::addColumn<bool>("useDefault");
        QTest::addColumn<QByteArray>("dir");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        QTest::newRow("off") << false << false << QByteArray("/snd") << QByteArray("a.wav")
                             << int(EndSoundChoice::Silent) << QString();
        QTest::newRow("built-in") << true << true << QByteArray("/snd") << QByteArray("a.wav")
                                  << int(EndSoundChoice::BuiltIn) << QString();
        QTest::newRow("file in folder") << true << false << QByteArray("/snd") << QByteArray("a.wav")
                                        << int(EndSoundChoice::WaveFile) << u"/snd/a.wav"_qs;
        QTest::newRow("folder with separator") << true << false << QByteArray("/snd/") << QByteArray("a.wav")
                                               << int(EndSoundChoice::WaveFile) << u"/snd/a.wav"_qs;
        QTest::newRow("program folder") << true << false << QByteArray() << QByteArray("\xE7\xE2.wav")
                                        << int(EndSoundChoice::WaveFile) << u"/opt/q/зв.wav"_qs;
        QTest::newRow("nothing named: the folder alone") << true << false << QByteArray() << QByteArray()
                                                         << int(EndSoundChoice::WaveFile) << u"/opt/q/"_qs;
    }
    void endSound() {
        QFETCH(bool, useSound);
        QFETCH(bool, useDefault);
        QFETCH(QByteArray, dir);
        QFETCH(QByteArray, name);
        QFETCH(int, kind);
        QFETCH(QString, path);
        TSettings s;
        s.IsUseSound = useSound;
        s.IsUseDefaultSound = useDefault;
        s.SoundFileDir = dir;
        s.SoundFileName = name;
        const EndSoundChoice choice = ChooseEndSound(s, "/opt/q");
        QCOMPARE(int(choice.kind), kind);
        QCOMPARE(choice.path, path);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
