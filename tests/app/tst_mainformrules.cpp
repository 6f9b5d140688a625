#include "app/MainFormRules.h"
#include "model/Test.h"
#include "settings/Settings.h"

#include <QTest>

class TestMainFormRules : public QObject {
    Q_OBJECT
private slots:
    // Which commands each state allows, with and without the server link and an instruction.
    void enabledRules_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("sendResult");
        QTest::addColumn<bool>("instruction");
        QTest::addColumn<int>("recent");
        // open, get, close, begin, end, check allowed, info, instruction, settings, viewer, recent menu
        QTest::addColumn<QString>("expected");
        QTest::newRow("no test") << 1 << false << false << 0 << "10000000100";
        QTest::newRow("no test, server, recent") << 1 << true << false << 2 << "11000000101";
        QTest::newRow("loaded") << 2 << true << false << 2 << "00110010100";
        QTest::newRow("loaded with instruction") << 2 << false << true << 0 << "00110011100";
        QTest::newRow("testing") << 3 << true << true << 3 << "00001111010";
    }
    void enabledRules() {
        QFETCH(int, state);
        QFETCH(bool, sendResult);
        QFETCH(bool, instruction);
        QFETCH(int, recent);
        QFETCH(QString, expected);
        TSettings settings;
        settings.IsSendResult = sendResult;
        TTest test({}, {}, {});
        test.Instruction = instruction ? "read me" : "";
        CommandRuleInput in;
        in.state = SessionState(state);
        in.settings = &settings;
        in.test = state == 1 ? nullptr : &test;
        in.recentCount = recent;
        const CommandRuleState r = EvaluateCommandRules(in);
        const QList<bool> got = {r.openTest,         r.getTest,
                                 r.closeTest,        r.beginTest,
                                 r.endTest,          r.checkAskTaskAllowed,
                                 r.showTestInfo,     r.showTestInstruction,
                                 r.settingsCommands, r.showREtoViewer,
                                 r.previousFiles};
        QString text;
        for (bool b : got)
            text += b ? u'1' : u'0';
        QCOMPARE(text, expected);
        QCOMPARE(r.resetProgress, state != 3);
    }

    void checkMarks() {
        TSettings settings;
        settings.IsSaveResult = false;
        settings.IsSaveProtectionResult = true;
        settings.IsSaveConfig = true;
        settings.IsUseWindowSettings = false;
        CommandRuleInput in;
        in.settings = &settings;
        in.zoom = 60;
        in.fontDelta = 2;
        CommandRuleState r = EvaluateCommandRules(in);
        QVERIFY(!r.isSaveResult && r.isSaveProtectionResult && r.isSaveConfig && !r.isUseWindowSettings);
        QVERIFY(r.zoomDown && !r.zoomNormal && !r.zoomUp);
        QVERIFY(r.fontSizeUp && !r.fontSizeNormal && !r.fontSizeDown);
        in.zoom = 100;
        in.fontDelta = 0;
        r = EvaluateCommandRules(in);
        QVERIFY(r.zoomNormal && !r.zoomDown && !r.zoomUp && r.fontSizeNormal);
    }

    void zoom() {
        int z = 100;
        for (int i = 0; i < 5; ++i)
            z = NextZoom(z, -10);
        QCOMPARE(z, 50);
        QCOMPARE(NextZoom(z, -10), 50);
        QCOMPARE(NextZoom(55, -10), 50);
        z = 100;
        for (int i = 0; i < 100; ++i)
            z = NextZoom(z, 10);
        QCOMPARE(z, 1100);
        QCOMPARE(NextZoom(z, 0), 100);
        QCOMPARE(NextZoom(50, 0), 100);
    }

    void digitKeys() {
        QCOMPARE(DigitKeyRow(Qt::Key_1), 0);
        QCOMPARE(DigitKeyRow(Qt::Key_9), 8);
        QCOMPARE(DigitKeyRow(Qt::Key_0), 9);
        QCOMPARE(DigitKeyRow(Qt::Key_A), std::nullopt);
        QCOMPARE(DigitKeyRow(Qt::Key_Minus), std::nullopt);
        QCOMPARE(DigitKeyRow(Qt::Key_Enter), std::nullopt);
    }

    void testFileNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("taken");
        QTest::newRow("lower") << "/t/algebra.qzf" << true;
        QTest::newRow("upper") << "/t/ALGEBRA.QZF" << true;
        QTest::newRow("mixed") << "/t/a.QzF" << true;
        QTest::newRow("other") << "/t/a.qzr" << false;
        QTest::newRow("double") << "/t/a.qzf.txt" << false;
        QTest::newRow("no extension") << "/t/qzf" << false;
        QTest::newRow("folder named like one") << "/t/x.qzf/readme" << false;
        QTest::newRow("empty") << "" << false;
    }
    void testFileNames() {
        QFETCH(QString, path);
        QFETCH(bool, taken);
        QCOMPARE(IsTestFileName(path), taken);
    }

    void statusTexts() {
        const QDateTime now(QDate(2026, 3, 7), QTime(9, 5, 41));
        StatusPanelTexts t = StatusTexts(SessionState::NoTest, nullptr, now);
        QCOMPARE(*t.panels[0], QStringLiteral("Тест не обрано"));
        QCOMPARE(*t.panels[2], QStringLiteral("07.03.26"));
        QCOMPARE(*t.panels[3], QStringLiteral("09:05"));
        QVERIFY(!t.panels[4] && !t.panels[5]);
        for (int i : {1, 6, 7, 8, 9, 10, 11})
            QCOMPARE(*t.panels[size_t(i)], QString());

        TTest test({}, {}, {});
        test.EducationMode = true;
        test.AllowSkipping = true;
        test.MonoMode = true;
        t = StatusTexts(SessionState::TestLoaded, &test, now);
        QCOMPARE(*t.panels[0], QStringLiteral("Тест обрано"));
        QCOMPARE(*t.panels[6], QStringLiteral("О"));
        QCOMPARE(*t.panels[7], QString());
        QCOMPARE(*t.panels[8], QStringLiteral("C"));
        QCOMPARE(t.panels[8]->at(0).unicode(), u'C'); // the Latin letter
        QCOMPARE(*t.panels[9], QStringLiteral("М"));

        // During a session the clocks, the position, the price and the name belong to the session.
        test.PenaliseWrong = true;
        t = StatusTexts(SessionState::Testing, &test, now);
        QCOMPARE(*t.panels[0], QStringLiteral("Тест триває"));
        QCOMPARE(*t.panels[7], QStringLiteral("Ш"));
        for (int i : {1, 2, 3, 4, 5, 10, 11})
            QVERIFY(!t.panels[size_t(i)]);
    }

    // The first placement: centred, and with its frame inside the available area of the screen.
    void fitToScreen_data() {
        QTest::addColumn<QRect>("client");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("fits") << QRect(0, 0, 800, 600) << QRect(0, 0, 1280, 1024) << QSize(400, 300)
                              << QRect(240, 224, 800, 600);
        QTest::newRow("800 x 600 screen with a panel")
            << QRect(0, 0, 800, 600) << QRect(0, 24, 800, 576) << QSize(400, 300) << QRect(5, 54, 790, 541);
        QTest::newRow("restored from a bigger screen")
            << QRect(1500, 900, 1600, 1000) << QRect(0, 0, 1024, 768) << QSize(400, 300)
            << QRect(5, 30, 1014, 733);
        QTest::newRow("minimum wins, title bar stays on screen")
            << QRect(0, 0, 800, 600) << QRect(0, 0, 640, 480) << QSize(700, 500) << QRect(5, 30, 700, 500);
    }
    void fitToScreen() {
        QFETCH(QRect, client);
        QFETCH(QRect, available);
        QFETCH(QSize, minimum);
        QFETCH(QRect, placed);
        QCOMPARE(FitToScreen(client, QMargins(5, 30, 5, 5), available, minimum), placed);
    }

    void accessLetters_data() {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("lettered");
        QTest::newRow("the Файл menu")
            << QStringList{"&Відкрити...", "Отримати по мережі", "Закрити", "Попередні файли", "В&ихід"}
            << QStringList{"&Відкрити...", "&Отримати по мережі", "&Закрити", "&Попередні файли", "В&ихід"};
        // A letter taken (in either case) goes to the next free one of the caption.
        QTest::newRow("shared first letters")
            << QStringList{"Зберігати налаштування при виході", "Зберегти налаштування зараз",
                           "Завантажити налаштування зараз"}
            << QStringList{"&Зберігати налаштування при виході", "З&берегти налаштування зараз",
                           "З&авантажити налаштування зараз"};
        QTest::newRow("kept letter is reserved first")
            << QStringList{"Вихід", "В&ихід"} << QStringList{"&Вихід", "В&ихід"};
        QTest::newRow("ampersand of the text and digits")
            << QStringList{"R&&D", "100%", "R"} << QStringList{"&R&&D", "&100%", "R"};
    }
    void accessLetters() {
        QFETCH(QStringList, captions);
        QFETCH(QStringList, lettered);
        QCOMPARE(WithAccessLetters(captions), lettered);
    }

    void recentFiles() {
        RecentFileList list;
        list.Add("/t/a.qzf");
        list.Add("/t/b.qzf");
        list.Add("/t/a.qzf");
        QCOMPARE(list.Items(), QStringList({"/t/a.qzf", "/t/b.qzf"}));
        // Differing only in letter case (or an access-letter ampersand) it is the same entry,
        // shown as last opened.
        list.Add("/T/B.QZF");
        QCOMPARE(list.Items(), QStringList({"/T/B.QZF", "/t/a.qzf"}));
        list.Add("/t/&a.qzf");
        QCOMPARE(list.Items(), QStringList({"/t/&a.qzf", "/T/B.QZF"}));
        for (const char* p : {"/t/c.qzf", "/t/d.qzf", "/t/e.qzf"})
            list.Add(QString::fromLatin1(p));
        QCOMPARE(list.Items().size(), 5);
        // A sixth distinct file pushes the oldest out.
        list.Add("/t/f.qzf");
        QCOMPARE(list.Items(), QStringList({"/t/f.qzf", "/t/e.qzf", "/t/d.qzf", "/t/c.qzf", "/t/&a.qzf"}));
    }

    void recentFilesLoad() {
        RecentFileList list;
        list.Load({"1", "2", "3", "4", "5", "6", "7"});
        QCOMPARE(list.Items(), QStringList({"1", "2", "3", "4", "5"}));
        RecentFileList dup;
        dup.Load({"/a", "/b", "/A"});
        QCOMPARE(dup.Items(), QStringList({"/a", "/b"}));
    }
};

QTEST_GUILESS_MAIN(TestMainFormRules)
#include "tst_mainformrules.moc"
