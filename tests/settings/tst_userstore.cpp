#include "settings/IniFile.h"
#include "settings/NiceSettings.h"
#include "settings/PlacementValue.h"
#include "settings/UserStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A window with a few properties, as the main window exposes them: integers in decimal and the
// window state by name.
class FakeWindow : public NicePropertyHost {
public:
    QMap<QString, QString> props = {{"Left", "10"},
                                    {"Top", "20"},
                                    {"Width", "800"},
                                    {"Height", "600"},
                                    {"Position", "poDesigned"},
                                    {"WindowState", "wsNormal"},
                                    {"PanelQuestion.Height", "250"}};
    QStringList applied;

    QString ComponentName() const override { return QStringLiteral("StudentMainForm"); }
    bool HasComponent(const QString& c) const override { return c == u"PanelQuestion"; }
    std::optional<QString> GetProperty(const QString& c, const QString& p) const override {
        const QString name = c.isEmpty() ? p : c + u'.' + p;
        if (!props.contains(name))
            return std::nullopt;
        return props.value(name);
    }
    bool SetProperty(const QString& c, const QString& p, const QString& value) override {
        const QString name = c.isEmpty() ? p : c + u'.' + p;
        if (!props.contains(name))
            return false;
        if (p == u"WindowState" && value != u"wsNormal" && value != u"wsMaximized" && value != u"wsMinimized")
            return false;
        if (p != u"WindowState" && p != u"Position") {
            bool ok = false;
            value.toInt(&ok);
            if (!ok)
                return false;
        }
        props[name] = value;
        applied.append(name);
        return true;
    }
};

const QStringList MainFormProps = {
    "Left", "Top", "Width", "Height", "Position", "WindowState", "PanelQuestion.Height"};

struct Fixture {
    QTemporaryDir dir;
    FakeWindow window;
    TNiceSettings nice{window};
    QString StorePath() const { return dir.filePath("Student.conf"); }
    std::unique_ptr<QSettings> Open() const {
        return std::make_unique<QSettings>(StorePath(), QSettings::IniFormat);
    }
    Fixture() {
        nice.SetUpForMainWindow();
        nice.SetStoreOpener([this](const QString&) { return Open(); });
        nice.SetProgramFolder(dir.path());
    }
};
} // namespace

class TestUserStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The default store must land under this folder, never in the real home.
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
    }

    void componentDefaultsAndMainWindowValues() {
        FakeWindow window;
        TNiceSettings nice(window);
        QVERIFY(nice.StoredProps.isEmpty());
        QCOMPARE(nice.RegKey, u"Software\\My Company\\My Program"_qs);
        QCOMPARE(nice.IniFile, u"Settings.ini"_qs);
        QCOMPARE(nice.StoreTarget, stIniFile);
        nice.SetUpForMainWindow();
        QCOMPARE(nice.StoredProps, MainFormProps);
        QCOMPARE(nice.RegKey, u"Software\\Quizar3\\Student"_qs);
        QCOMPARE(nice.StoreTarget, stRegistry);
    }

    void defaultStoreIsNativeQuizar3Student() {
        const auto store = UserStore::OpenDefault();
        QCOMPARE(store->format(), QSettings::NativeFormat);
        QCOMPARE(store->organizationName(), u"Quizar3"_qs);
        QCOMPARE(store->applicationName(), u"Student"_qs);
        QCOMPARE(TNiceSettings::OpenNativeStore("Software\\Quizar3\\Student")->fileName(), store->fileName());
        QVERIFY(store->fileName().startsWith(m_home.path()));
    }

    // Values that QSettings would decode as serialised objects go before the store is read: a
    // list that announces two billion items would have Qt ask for 48 GB as the program starts
    // (the first case is what the fuzzer found). Only those lines go; a store without any is
    // left as it is, byte for byte.
    void decodedValuesAreRemovedBeforeReading_data() {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QStringList>("files"); // the recent files left (none given: whatever Qt reads)
        const auto data = [](const char* name) {
            QFile f(QStringLiteral(QUIZAR_TEST_DATA "/userstore/") + QLatin1String(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray huge = R"(\0\0\0\xb\x7f\xff\xff\xff))"; // a QStringList of 2^31 - 1
        const QByteArray head = "[PreviousFiles]\n1=/a.qzf\n";
        QTest::newRow("found by fuzzing") << data("huge-list-in-a-value.bin") << QStringList();
        QTest::newRow("plain") << head + "2=@Variant(" + huge + "\n3=/c.qzf\n"
                               << QStringList{"/a.qzf", "/c.qzf"};
        QTest::newRow("escaped at sign") << head + R"(2=\x40Variant()" + huge + "\n" << QStringList{"/a.qzf"};
        QTest::newRow("quoted") << head + "2=\"@Variant(" + huge + "\"\n" << QStringList{"/a.qzf"};
        QTest::newRow("in a list") << head + "2=x, @Variant(" + huge + "\n" << QStringList{"/a.qzf"};
        QTest::newRow("after a lone CR") << head + "[Other]\r2=@Variant(" + huge + "\n"
                                         << QStringList{"/a.qzf"};
        QTest::newRow("nothing to remove") << head + "2=@ByteArray(/b.qzf)\n"
                                           << QStringList{"/a.qzf", "/b.qzf"};
    }
    void decodedValuesAreRemovedBeforeReading() {
        QFETCH(QByteArray, store);
        QFETCH(QStringList, files);
        QVERIFY(!store.isEmpty());
        const QString path = UserStore::NativeFilePath(UserStore::Organisation, UserStore::Application);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(store);
        }
        const bool untouched = !store.contains("Variant(");
        {
            const auto settings = UserStore::OpenDefault();
            QCOMPARE(settings->fileName(), path);
            const UserStore user(*settings);
            const QStringList read = user.PreviousFiles();
            if (!files.isEmpty())
                QCOMPARE(read, files);
            user.Password();
            user.PasswordIsText();
            for (const QString& key : settings->allKeys())
                settings->value(key);
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray left = f.readAll();
        if (untouched)
            QCOMPARE(left, store);
        else
            QVERIFY(!left.contains("Variant("));
        f.close();
        QVERIFY(f.remove());
    }

    void passwordRecentFilesAndCounters() {
        QTemporaryDir dir;
        {
            QSettings settings(dir.filePath("s.conf"), QSettings::IniFormat);
            UserStore store(settings);
            QVERIFY(store.Password().isEmpty());
            store.SetPassword("\xCF\xE0\xF0\xEE\xEB\xFC 1"); // "Пароль 1" in code page 1251
            QStringList files;
            for (int i = 1; i <= 12; ++i)
                files.append(QStringLiteral("/tests/t%1.qzf").arg(i));
            store.SetPreviousFiles(files);
            store.SetCountRunTest("{A1B2}", "101");
            QVERIFY(store.Sync());
        }
        QSettings settings(dir.filePath("s.conf"), QSettings::IniFormat);
        UserStore store(settings);
        QCOMPARE(store.Password(), QByteArray("\xCF\xE0\xF0\xEE\xEB\xFC 1"));
        QCOMPARE(store.PreviousFiles().size(), 12);
        QCOMPARE(store.PreviousFiles().at(9), u"/tests/t10.qzf"_qs); // "10" after "9", not after "1"
        QCOMPARE(settings.value("PreviousFiles/1").toString(), u"/tests/t1.qzf"_qs);
        store.SetPreviousFiles({"/a.qzf", "/b.qzf"});
        QCOMPARE(store.PreviousFiles(), QStringList({"/a.qzf", "/b.qzf"}));
        QCOMPARE(store.ValueNames(UserStore::PreviousFilesGroup).size(), 2);
        QCOMPARE(store.CountRunTest("{A1B2}"), std::optional<QString>("101"));
        QCOMPARE(store.CountRunTest("{other}"), std::optional<QString>());
    }

    void placementRoundTripThroughTheStore() {
        Fixture f;
        f.window.props["Width"] = "1024";
        f.window.props["WindowState"] = "wsMaximized";
        f.nice.SaveProps();
        {
            const auto s = f.Open();
            s->beginGroup("StudentMainForm");
            QCOMPARE(s->childKeys().size(), 7);
            QCOMPARE(s->value("Width").toString(), u"1024"_qs);
            QCOMPARE(s->value("WindowState").toString(), u"wsMaximized"_qs);
            QCOMPARE(s->value("PanelQuestion.Height").toString(), u"250"_qs);
        }
        FakeWindow fresh;
        fresh.props["Width"] = "1";
        TNiceSettings nice(fresh);
        nice.StoredProps = MainFormProps;
        nice.StoreTarget = stRegistry;
        nice.SetStoreOpener([&f](const QString&) { return f.Open(); });
        nice.LoadProps();
        QCOMPARE(fresh.props, f.window.props);
    }

    void badStoredValuesAreSkipped() {
        Fixture f;
        {
            const auto s = f.Open();
            s->setValue("StudentMainForm/PanelQuestion.Height", "abc");
            s->setValue("StudentMainForm/Width", "");
            s->setValue("StudentMainForm/Height", "700");
            s->setValue("StudentMainForm/WindowState", "wsGone");
            s->setValue("StudentMainForm/Missing.Height", "5");
            s->setValue("StudentMainForm/Colour", "7");
            s->setValue("Other/Left", "99");
        }
        f.nice.LoadProps();
        QCOMPARE(f.window.applied, QStringList{"Height"});
        QCOMPARE(f.window.props["PanelQuestion.Height"], u"250"_qs);
        QCOMPARE(f.window.props["Width"], u"800"_qs);
        QCOMPARE(f.window.props["Left"], u"10"_qs);
    }

    // What the main window takes of a stored placement value. The store is its user's to edit: a
    // coordinate or size beyond any screen is refused, since the window's geometry would overflow.
    void placementValues_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind"); // -1: refused
        QTest::addColumn<int>("number");
        using K = PlacementValue::Kind;
        QTest::newRow("left") << ""
                              << "Left"
                              << " -40" << int(K::Left) << -40;
        QTest::newRow("left at the limit") << ""
                                           << "Left"
                                           << "-16777215" << int(K::Left) << -16777215;
        QTest::newRow("left beyond any screen") << ""
                                                << "Left"
                                                << "-2147483648" << -1 << 0;
        QTest::newRow("top beyond any screen") << ""
                                               << "Top"
                                               << "16777216" << -1 << 0;
        QTest::newRow("width") << ""
                               << "Width"
                               << "800" << int(K::Width) << 800;
        QTest::newRow("no width") << ""
                                  << "Width"
                                  << "0" << -1 << 0;
        QTest::newRow("height beyond any screen") << ""
                                                  << "Height"
                                                  << "2147483647" << -1 << 0;
        QTest::newRow("not a number") << ""
                                      << "Height"
                                      << "7e2" << -1 << 0;
        QTest::newRow("maximised") << ""
                                   << "WindowState"
                                   << "wsMaximized" << int(K::Maximised) << 0;
        QTest::newRow("never minimised") << ""
                                         << "WindowState"
                                         << "wsMinimized" << int(K::Restored) << 0;
        QTest::newRow("unknown state") << ""
                                       << "WindowState"
                                       << "wsGone" << -1 << 0;
        QTest::newRow("any position") << ""
                                      << "Position"
                                      << "poDesigned" << int(K::Position) << 0;
        QTest::newRow("panel") << "PanelQuestion"
                               << "Height"
                               << "0" << int(K::PanelHeight) << 0;
        QTest::newRow("negative panel") << "PanelQuestion"
                                        << "Height"
                                        << "-1" << -1 << 0;
        QTest::newRow("other child") << "Panel"
                                     << "Height"
                                     << "10" << -1 << 0;
        QTest::newRow("other property") << ""
                                        << "Colour"
                                        << "10" << -1 << 0;
    }
    void placementValues() {
        QFETCH(QString, component);
        QFETCH(QString, property);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(int, number);
        const std::optional<PlacementValue> v = ParsePlacementValue(component, property, text);
        QCOMPARE(v.has_value(), kind >= 0);
        if (v) {
            QCOMPARE(int(v->kind), kind);
            QCOMPARE(v->number, number);
        }
    }

    void saveRemovesStaleValuesAndSkipsUnknownEntries() {
        Fixture f;
        {
            const auto s = f.Open();
            s->setValue("StudentMainForm/OldSplitter.Position", "3");
            s->setValue("PreviousFiles/1", "/keep.qzf");
        }
        f.nice.StoredProps = {" Width ", "", "Nobody.Height", "NoSuchProperty", "PanelQuestion.Height"};
        f.nice.SaveProps();
        const auto s = f.Open();
        s->beginGroup("StudentMainForm");
        QCOMPARE(s->childKeys(), QStringList({"PanelQuestion.Height", "Width"}));
        s->endGroup();
        QCOMPARE(s->value("PreviousFiles/1").toString(), u"/keep.qzf"_qs);
    }

    void emptyListDoesNothing() {
        Fixture f;
        f.nice.StoredProps.clear();
        f.nice.SaveProps();
        f.nice.StoreTarget = stIniFile;
        f.nice.SaveProps();
        QVERIFY(!QFile::exists(f.StorePath()));
        QVERIFY(!QFile::exists(f.dir.filePath("Settings.ini")));
    }

    void iniFileTargetReplacesOnlyItsSection() {
        Fixture f;
        f.nice.StoreTarget = stIniFile;
        QFile ini(f.dir.filePath("Settings.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Other]\r\nA=1\r\n[StudentMainForm]\r\nStale=1\r\nWidth=5\r\n");
        ini.close();
        f.window.props["Left"] = "-8";
        f.nice.StoredProps = {"Left", "Width"};
        f.nice.SaveProps();
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(),
                 QByteArray("[Other]\r\nA=1\r\n[StudentMainForm]\r\nLeft=-8\r\nWidth=800\r\n"));
        ini.close();

        FakeWindow fresh;
        TNiceSettings nice(fresh);
        nice.StoredProps = {"Left"};
        nice.SetProgramFolder(f.dir.path());
        nice.LoadProps();
        QCOMPARE(fresh.applied, QStringList({"Left", "Width"}));
        QCOMPARE(fresh.props["Left"], u"-8"_qs);
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestUserStore)
#include "tst_userstore.moc"
