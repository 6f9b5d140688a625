// The desktop integration without a window: the user's folders, the key files, the association of
// test files (checked fact by fact, written in order, looked up by the desktop's own tools) and the
// shortcuts. Everything happens inside temporary folders.
#include "DesktopSandbox.h"
#include "model/TestWriter.h"
#include "settings/DesktopKeyFile.h"
#include "settings/DesktopNames.h"
#include "settings/FileAssociation.h"
#include "settings/ProgramShortcuts.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <functional>

Q_DECLARE_METATYPE(std::function<void(DesktopSandbox&)>)

namespace {

const QString Program = QStringLiteral("/opt/quizar/QuizarStudent");

// Runs a program with the sandbox's environment; its standard output, trimmed.
QString Output(const DesktopSandbox& box, const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(box.Environment());
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return QStringLiteral("(did not finish)");
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Validates a desktop entry with the desktop's own checker; the message when it complains.
QString Invalid(const QString& path) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("desktop-file-validate"), {path});
    p.waitForFinished(30000);
    const QString out = QString::fromUtf8(p.readAll()).trimmed();
    return p.exitCode() == 0 && !out.contains(QLatin1String("error")) ? QString() : out;
}

void RebuildMime(const DesktopSandbox& box, const QString& dataDir) {
    QProcess p;
    p.setProcessEnvironment(box.Environment());
    p.start(QStringLiteral("update-mime-database"), {dataDir + QStringLiteral("/mime")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
}

QByteArray OtherType(const QString& comment = QStringLiteral("Other")) {
    return QStringLiteral("<?xml version=\"1.0\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"application/x-other\"><comment>%1</comment>"
                          "<glob pattern=\"*.qzf\"/></mime-type>\n</mime-info>\n")
        .arg(comment)
        .toUtf8();
}

const QByteArray OtherEntry = "[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/true %f\n";

} // namespace

class TestDesktopIntegration : public QObject {
    Q_OBJECT

private slots:
    void folders_data() {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QByteArray>("userDirs");
        QTest::addColumn<QStringList>("expected"); // data home, config home, data dirs, desktop
        QTest::newRow("defaults") << QStringList{} << QByteArray()
                                  << QStringList{"/h/.local/share", "/h/.config",
                                                 "/usr/local/share:/usr/share", "/h/Desktop"};
        QTest::newRow("set, with a relative folder that does not count")
            << QStringList{"XDG_DATA_HOME=/d", "XDG_CONFIG_HOME=cfg", "XDG_DATA_DIRS=/s1::rel:/s2/"}
            << QByteArray() << QStringList{"/d", "/h/.config", "/s1:/s2", "/h/Desktop"};
        QTest::newRow("desktop under home")
            << QStringList{}
            << QByteArray("# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Завантаження\"\n"
                          "XDG_DESKTOP_DIR=\"$HOME/Стільниця\"\n")
            << QStringList{"/h/.local/share", "/h/.config", "/usr/local/share:/usr/share", "/h/Стільниця"};
        QTest::newRow("absolute desktop, escaped quote")
            << QStringList{} << QByteArray("XDG_DESKTOP_DIR=\"/srv/a \\\"b\\\"\"\n")
            << QStringList{"/h/.local/share", "/h/.config", "/usr/local/share:/usr/share", "/srv/a \"b\""};
        QTest::newRow("desktop switched off means home")
            << QStringList{} << QByteArray("XDG_DESKTOP_DIR=\"$HOME\"\n")
            << QStringList{"/h/.local/share", "/h/.config", "/usr/local/share:/usr/share", "/h"};
        QTest::newRow("a value of another form is ignored")
            << QStringList{} << QByteArray("XDG_DESKTOP_DIR=Desktop\n")
            << QStringList{"/h/.local/share", "/h/.config", "/usr/local/share:/usr/share", "/h/Desktop"};
    }
    void folders() {
        QFETCH(QStringList, variables);
        QFETCH(QByteArray, userDirs);
        QFETCH(QStringList, expected);
        QTemporaryDir config;
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), QStringLiteral("/h"));
        for (const QString& v : variables)
            env.insert(v.section(QLatin1Char('='), 0, 0), v.section(QLatin1Char('='), 1));
        XdgFolders f = XdgFolders::FromEnvironment(env);
        QCOMPARE(f.dataHome, expected[0]);
        QCOMPARE(f.configHome, expected[1]);
        QCOMPARE(f.dataDirs.join(QLatin1Char(':')), expected[2]);
        // The user-dirs file is read from the configuration folder, here a temporary one.
        f.configHome = config.path();
        if (!userDirs.isEmpty())
            QVERIFY(DesktopSandbox::Write(config.filePath(QStringLiteral("user-dirs.dirs")), userDirs));
        QCOMPARE(f.DesktopFolder(), expected[3]);
    }

    void defaultApplicationEdit_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray t = "application/x-quizar3-test";
        QTest::newRow("no list yet") << QByteArray()
                                     << "[Default Applications]\n" + t +
                                            "=quizar3-open.desktop\n\n"
                                            "[Added Associations]\n" +
                                            t + "=quizar3-open.desktop;\n";
        QTest::newRow("other lines stay, ours replaced in place and put first")
            << "# mine\n[Added Associations]\ntext/plain=gedit.desktop;\n" + t +
                   "=other.desktop;\n\n[Default Applications]\ntext/plain=gedit.desktop\n" + t +
                   "=other.desktop\nimage/png=eog.desktop\n\n[Removed Associations]\n" + t +
                   "=quizar3-open.desktop;x.desktop;\n"
            << "# mine\n[Added Associations]\ntext/plain=gedit.desktop;\n" + t +
                   "=quizar3-open.desktop;other.desktop;\n\n[Default "
                   "Applications]\ntext/plain=gedit.desktop\n" +
                   t + "=quizar3-open.desktop\nimage/png=eog.desktop\n\n[Removed Associations]\n" + t +
                   "=x.desktop;\n";
        QTest::newRow("added at the end of an existing group, removal emptied")
            << "[Default Applications]\ntext/plain=gedit.desktop\n\n[Removed Associations]\n" + t +
                   "=quizar3-open.desktop\n"
            << "[Default Applications]\ntext/plain=gedit.desktop\n" + t +
                   "=quizar3-open.desktop\n\n[Removed Associations]\n\n[Added Associations]\n" + t +
                   "=quizar3-open.desktop;\n";
    }
    void defaultApplicationEdit() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(WithDefaultApplication(before, DesktopNames::TestFileType, DesktopNames::HandlerEntry),
                 after);
    }

    void execOfAnyProgramPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("line"); // the Exec line as it stands in the file
        QTest::newRow("plain") << "/opt/q/QuizarStudent"
                               << "Exec=/opt/q/QuizarStudent %f";
        QTest::newRow("blank and cyrillic") << "/home/u/Мої тести/QuizarStudent"
                                            << "Exec=\"/home/u/Мої тести/QuizarStudent\" %f";
        QTest::newRow("percent") << "/opt/100%/QuizarStudent"
                                 << "Exec=/opt/100%%/QuizarStudent %f";
        QTest::newRow("quote, dollar, backslash, backtick")
            << "/tmp/a\"b$c\\d`e/QuizarStudent"
            << "Exec=\"/tmp/a\\\\\"b\\\\$c\\\\\\\\d\\\\`e/QuizarStudent\" %f";
    }
    void execOfAnyProgramPath() {
        QFETCH(QString, path);
        QFETCH(QString, line);
        DesktopSandbox box;
        const FileAssociation association({box.Folders(), path, box.Pretender()});
        const QByteArray entry = association.HandlerEntry();
        QVERIFY2(QString::fromUtf8(entry).split(QLatin1Char('\n')).contains(line), entry.constData());
        // Read back as a launcher reads it: the program path and the field code.
        const QString exec =
            DesktopKeyFile::Parse(entry).Value(QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
        QCOMPARE(SplitExec(exec), (QStringList{path, QStringLiteral("%f")}));
        if (DesktopSandbox::Has(QStringLiteral("desktop-file-validate"))) {
            const QString file = box.Path(QStringLiteral("quizar3-open.desktop"));
            QVERIFY(DesktopSandbox::Write(file, entry));
            QCOMPARE(Invalid(file), QString());
        }
    }

    // The association written into an empty home holds, and the desktop's own tools agree: a test
    // file is of our type by its name and by its first bytes, and our entry opens it.
    void associationAsTheDesktopSeesIt() {
        QUIZAR_REQUIRE_TOOL("update-mime-database");
        DesktopSandbox box;
        const FileAssociation association({box.Folders(), Program, box.Runner()});
        QCOMPARE(int(association.Check()), int(AssociationFact::TypeUnknown));
        const Status s = association.WriteAssociation();
        QVERIFY2(s.Ok(), qPrintable(s.Detail()));
        QCOMPARE(int(association.Check()), int(AssociationFact::Associated));
        QCOMPARE(association.TypeDescription(), QStringLiteral("Quizar3 Компьютерные тесты"));
        for (const char* icon : {"48x48/mimetypes/application-x-quizar3-test.png",
                                 "scalable/mimetypes/application-x-quizar3-test.svg",
                                 "256x256/apps/org.quizar3.QuizarStudent.png"})
            QVERIFY2(QFileInfo::exists(box.Path(QStringLiteral("home/.local/share/icons/hicolor/")) +
                                       QLatin1String(icon)),
                     icon);

        QUIZAR_REQUIRE_TOOL("xdg-mime");
        QCOMPARE(Output(box, QStringLiteral("xdg-mime"), {"query", "default", DesktopNames::TestFileType}),
                 DesktopNames::HandlerEntry);
        // On a desktop xdg-mime does not know it asks `mimetype`, which reads the databases.
        QUIZAR_REQUIRE_TOOL("mimetype");
        const QByteArray container = WrapPayload(QByteArray("x"));
        const QString named = box.Path(QStringLiteral("Мій тест.QZF"));
        const QString unnamed = box.Path(QStringLiteral("download"));
        QVERIFY(DesktopSandbox::Write(named, "not even enciphered"));
        QVERIFY(DesktopSandbox::Write(unnamed, container));
        QCOMPARE(Output(box, QStringLiteral("xdg-mime"), {"query", "filetype", named}),
                 DesktopNames::TestFileType);
        QCOMPARE(Output(box, QStringLiteral("xdg-mime"), {"query", "filetype", unnamed}),
                 DesktopNames::TestFileType);
    }

    // Each fact of the association, spoiled on its own, is the one the check reports; writing the
    // association again puts every fact right.
    void oneFactDiffers_data() {
        QTest::addColumn<std::function<void(DesktopSandbox&)>>("spoil");
        QTest::addColumn<int>("fact");
        const auto data = [](DesktopSandbox& b, const char* rel) {
            return b.Path(QStringLiteral("home/.local/share/")) + QLatin1String(rel);
        };
        QTest::newRow("our type removed") << std::function<void(DesktopSandbox&)>([data](DesktopSandbox& b) {
            QFile::remove(data(b, "mime/packages/quizar3-test.xml"));
            RebuildMime(b, data(b, ""));
        }) << int(AssociationFact::TypeUnknown);
        QTest::newRow("description differs") << std::function<void(DesktopSandbox&)>([data](
                                                                                         DesktopSandbox& b) {
            const QString p = data(b, "mime/packages/quizar3-test.xml");
            QVERIFY(DesktopSandbox::Write(p, DesktopSandbox::Read(p).replace("Компьютерные тесты", "tests")));
            RebuildMime(b, data(b, ""));
        }) << int(AssociationFact::DescriptionDiffers);
        QTest::newRow("another default") << std::function<void(DesktopSandbox&)>([data](DesktopSandbox& b) {
            QVERIFY(DesktopSandbox::Write(data(b, "applications/other.desktop"), OtherEntry));
            QVERIFY(
                DesktopSandbox::Write(b.Path(QStringLiteral("home/.config/mimeapps.list")),
                                      "[Default Applications]\napplication/x-quizar3-test=other.desktop\n"));
        }) << int(AssociationFact::NotDefault);
        QTest::newRow("the desktop's own list names another")
            << std::function<void(DesktopSandbox&)>([data](DesktopSandbox& b) {
                   QVERIFY(DesktopSandbox::Write(data(b, "applications/other.desktop"), OtherEntry));
                   QVERIFY(DesktopSandbox::Write(
                       b.Path(QStringLiteral("home/.config/x-generic-mimeapps.list")),
                       "[Default Applications]\napplication/x-quizar3-test=missing.desktop;other.desktop\n"));
               })
            << int(AssociationFact::NotDefault);
        QTest::newRow("our entry gone") << std::function<void(DesktopSandbox&)>([data](DesktopSandbox& b) {
            QFile::remove(data(b, "applications/quizar3-open.desktop"));
        }) << int(AssociationFact::NotDefault);
        QTest::newRow("command without the file")
            << std::function<void(DesktopSandbox&)>([data](DesktopSandbox& b) {
                   const QString p = data(b, "applications/quizar3-open.desktop");
                   QVERIFY(DesktopSandbox::Write(p, DesktopSandbox::Read(p).replace(" %f", "")));
               })
            << int(AssociationFact::CommandDiffers);
        QTest::newRow("the program was moved")
            << std::function<void(DesktopSandbox&)>([data](DesktopSandbox& b) {
                   const QString p = data(b, "applications/quizar3-open.desktop");
                   QVERIFY(DesktopSandbox::Write(
                       p, DesktopSandbox::Read(p).replace("/opt/quizar/", "/opt/old/")));
               })
            << int(AssociationFact::CommandDiffers);
        QTest::newRow("icon removed") << std::function<void(DesktopSandbox&)>([data](DesktopSandbox& b) {
            QVERIFY(QDir(data(b, "icons")).removeRecursively());
        }) << int(AssociationFact::IconMissing);
    }
    void oneFactDiffers() {
        QFETCH(std::function<void(DesktopSandbox&)>, spoil);
        QFETCH(int, fact);
        QUIZAR_REQUIRE_TOOL("update-mime-database");
        DesktopSandbox box;
        const FileAssociation association({box.Folders(), Program, box.Runner()});
        QVERIFY(association.WriteAssociation().Ok());
        const QByteArray package = DesktopSandbox::Read(association.MimePackagePath());
        const QByteArray entry = DesktopSandbox::Read(association.HandlerEntryPath());
        spoil(box);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(int(association.Check()), fact);

        QVERIFY(association.WriteAssociation().Ok());
        QCOMPARE(int(association.Check()), int(AssociationFact::Associated));
        QCOMPARE(DesktopSandbox::Read(association.MimePackagePath()), package);
        QCOMPARE(DesktopSandbox::Read(association.HandlerEntryPath()), entry);
        QCOMPARE(association.DefaultApplication(), DesktopNames::HandlerEntry);
    }

    // Another type that the system gives the extension loses against the user's own.
    void userTypeComesBeforeTheSystems() {
        QUIZAR_REQUIRE_TOOL("update-mime-database");
        DesktopSandbox box;
        QVERIFY(
            DesktopSandbox::Write(box.Path(QStringLiteral("system/mime/packages/other.xml")), OtherType()));
        RebuildMime(box, box.Path(QStringLiteral("system")));
        const FileAssociation association({box.Folders(), Program, box.Runner()});
        QCOMPARE(association.TypeOfExtension(), QStringLiteral("application/x-other"));
        QVERIFY(association.WriteAssociation().Ok());
        QCOMPARE(int(association.Check()), int(AssociationFact::Associated));
    }

    // The first write that fails stops the rest; what came before it stays.
    void firstFailureStops_data() {
        QTest::addColumn<QString>("spoiled");    // a folder made a plain file
        QTest::addColumn<bool>("helperMissing"); // update-mime-database cannot be run
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QStringList>("notWritten");
        const QString pkg = QStringLiteral("home/.local/share/mime/packages/quizar3-test.xml");
        const QString entry = QStringLiteral("home/.local/share/applications/quizar3-open.desktop");
        const QString list = QStringLiteral("home/.config/mimeapps.list");
        const QString icon =
            QStringLiteral("home/.local/share/icons/hicolor/48x48/mimetypes/application-x-quizar3-test.png");
        QTest::newRow("type database")
            << QString() << true << QStringList{pkg} << QStringList{entry, list, icon};
        QTest::newRow("applications folder") << QStringLiteral("home/.local/share/applications") << false
                                             << QStringList{pkg} << QStringList{list, icon};
        QTest::newRow("configuration folder")
            << QStringLiteral("home/.config") << false << QStringList{pkg, entry} << QStringList{icon};
        QTest::newRow("icon folder") << QStringLiteral("home/.local/share/icons") << false
                                     << QStringList{pkg, entry, list} << QStringList{};
    }
    void firstFailureStops() {
        QFETCH(QString, spoiled);
        QFETCH(bool, helperMissing);
        QFETCH(QStringList, written);
        QFETCH(QStringList, notWritten);
        DesktopSandbox box;
        if (!spoiled.isEmpty()) {
            QDir(box.Path(spoiled)).removeRecursively();
            QVERIFY(DesktopSandbox::Write(box.Path(spoiled), "a file, not a folder"));
        }
        CommandRunner run = box.Pretender();
        if (helperMissing)
            run = [](const QString&, const QStringList&) { return CommandResult{}; };
        const FileAssociation association({box.Folders(), Program, run});
        const Status s = association.WriteAssociation();
        QVERIFY(!s.Ok());
        QVERIFY(!s.Detail().isEmpty());
        for (const QString& f : written)
            QVERIFY2(QFileInfo(box.Path(f)).isFile(), qPrintable(f));
        for (const QString& f : notWritten)
            QVERIFY2(!QFileInfo::exists(box.Path(f)), qPrintable(f));
    }

    // A file manager's double click, as xdg-open does it on a desktop it does not know: the
    // associated program starts with the file's full path as its one argument.
    void xdgOpenStartsTheProgram() {
        QUIZAR_REQUIRE_TOOL("update-mime-database");
        QUIZAR_REQUIRE_TOOL("xdg-open");
        QUIZAR_REQUIRE_TOOL("mimetype");
        DesktopSandbox box;
        const QString stub = box.Path(QStringLiteral("bin/quizar-stand-in"));
        const QString seen = box.Path(QStringLiteral("arguments"));
        QVERIFY(DesktopSandbox::Write(stub, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + seen.toUtf8() +
                                                ".part\"\n"
                                                "mv \"" +
                                                seen.toUtf8() + ".part\" \"" + seen.toUtf8() + "\"\n"));
        QVERIFY(QFile::setPermissions(stub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const FileAssociation association({box.Folders(), stub, box.Runner()});
        QVERIFY(association.WriteAssociation().Ok());

        const QString test = box.Path(QStringLiteral("Тести 7-А/дроби.qzf"));
        QVERIFY(DesktopSandbox::Write(test, WrapPayload(QByteArray("x"))));
        box.SetVariable(QStringLiteral("DISPLAY"),
                        QStringLiteral(":99")); // xdg-open asks only whether one is set
        box.SetVariable(QStringLiteral("BROWSER"), QStringLiteral("false"));
        QProcess open;
        open.setProcessEnvironment(box.Environment());
        open.start(QStringLiteral("xdg-open"), {test});
        QVERIFY(open.waitForFinished(30000));
        QCOMPARE(open.exitCode(), 0);
        QDeadlineTimer deadline(20000);
        while (!QFileInfo::exists(seen) && !deadline.hasExpired())
            QThread::msleep(20);
        QCOMPARE(QString::fromUtf8(DesktopSandbox::Read(seen)), test + QLatin1Char('\n'));
    }

    void shortcuts() {
        DesktopSandbox box;
        const QString desktop = box.Path(QStringLiteral("home/Стільниця"));
        QVERIFY(DesktopSandbox::Write(box.Path(QStringLiteral("home/.config/user-dirs.dirs")),
                                      "XDG_DESKTOP_DIR=\"$HOME/Стільниця\"\n"));
        const QString program = QStringLiteral("/opt/Мій Quizar/QuizarStudent");
        const ProgramShortcuts shortcuts({box.Folders(), program, box.Pretender()});

        // No desktop folder: nothing is made, the failure is returned.
        QVERIFY(!shortcuts.WriteDesktopShortcut().Ok());
        QVERIFY(!QFileInfo::exists(desktop));

        QVERIFY(QDir().mkpath(desktop));
        QVERIFY(
            DesktopSandbox::Write(desktop + QStringLiteral("/QuizarStudent.desktop"), "an older shortcut"));
        QVERIFY(shortcuts.WriteDesktopShortcut().Ok());
        QVERIFY(shortcuts.WriteMenuShortcut().Ok());
        QCOMPARE(shortcuts.DesktopShortcutPath(), desktop + QStringLiteral("/QuizarStudent.desktop"));
        const QByteArray entry = DesktopSandbox::Read(shortcuts.DesktopShortcutPath());
        QCOMPARE(DesktopSandbox::Read(shortcuts.MenuShortcutPath()), entry);
        const DesktopKeyFile file = DesktopKeyFile::Parse(entry);
        const QString group = QStringLiteral("Desktop Entry");
        QCOMPARE(SplitExec(file.Value(group, QStringLiteral("Exec"))), QStringList{program});
        QCOMPARE(file.Value(group, QStringLiteral("Path")), QStringLiteral("/opt/Мій Quizar/"));
        QCOMPARE(file.Value(group, QStringLiteral("Name")), QStringLiteral("QuizarStudent"));
        // Desktops start only executable entries from the desktop, and some want them trusted.
        QVERIFY(QFileInfo(shortcuts.DesktopShortcutPath()).isExecutable());
        QVERIFY(box.Ran().contains("gio set " + shortcuts.DesktopShortcutPath() + " metadata::trusted true"));
        QVERIFY(QFileInfo::exists(box.Path(
            QStringLiteral("home/.local/share/icons/hicolor/48x48/apps/org.quizar3.QuizarStudent.png"))));

        // The menu file puts the entry (by its identifier) into a folder described by the
        // directory entry.
        QCOMPARE(QDir(box.Path(QStringLiteral("home/.local/share/applications")))
                     .relativeFilePath(shortcuts.MenuShortcutPath())
                     .replace(QLatin1Char('/'), QLatin1Char('-')),
                 DesktopNames::MenuEntryId);
        const QByteArray menu = DesktopSandbox::Read(shortcuts.MenuFilePath());
        QVERIFY(menu.contains("<Filename>Quizar3-QuizarStudent.desktop</Filename>"));
        QVERIFY(menu.contains("<Directory>Quizar3.directory</Directory>"));
        QCOMPARE(QFileInfo(shortcuts.MenuDirectoryPath()).fileName(), QStringLiteral("Quizar3.directory"));
        QVERIFY(shortcuts.MenuFilePath().endsWith(
            QLatin1String("/.config/menus/applications-merged/Quizar3.menu")));

        if (DesktopSandbox::Has(QStringLiteral("desktop-file-validate"))) {
            QCOMPARE(Invalid(shortcuts.DesktopShortcutPath()), QString());
            QCOMPARE(Invalid(shortcuts.MenuDirectoryPath()), QString());
        }
        if (DesktopSandbox::Has(QStringLiteral("xmllint"))) {
            QProcess lint;
            lint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), shortcuts.MenuFilePath()});
            QVERIFY(lint.waitForFinished(30000));
            QCOMPARE(lint.exitCode(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
