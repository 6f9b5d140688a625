// The rules a session starts with: the shared generator and its shuffle, the choice and order of
// tasks, the name dialog's checks and greeting, and the run counter.
#include "model/Task.h"
#include "model/Test.h"
#include "model/TextCodec.h"
#include "session/NameRules.h"
#include "session/RandomGenerator.h"
#include "session/RunCounter.h"
#include "session/Scoring.h"
#include "session/SessionPorts.h"
#include "session/TaskSelection.h"
#include "settings/Settings.h"

#include "settings/UserStore.h"
#include <QSet>
#include <QTemporaryDir>

#include <QProcess>
#include <QSettings>
#include <QTest>

namespace {
QByteArray Cp(const QString& s) {
    return TextCodec::ToCp1251(s);
}

RandomGenerator FixedSeed(quint32 seed) {
    return RandomGenerator([seed] { return seed; });
}

RandomGenerator CountingSeed() {
    return RandomGenerator([n = quint32(0)]() mutable { return n += 7919; });
}

QList<TTask> TasksWithThemes(const QList<qint32>& themeIds) {
    QList<TTask> tasks;
    for (qint32 id : themeIds) {
        TTask t(SingleChoice);
        t.ThemeId = id;
        tasks.append(t);
    }
    return tasks;
}

TTheme Theme(qint32 id, bool limited, qint32 askCount, qint32 taskCount) {
    TTheme t;
    t.Id = id;
    t.AskLimited = limited;
    t.AskCount = askCount;
    t.TaskCount = taskCount;
    return t;
}
} // namespace

class TestSessionRules : public QObject {
    Q_OBJECT

private slots:
    void generatorFollowsTheLinearCongruence() {
        RandomGenerator random = FixedSeed(0);
        random.SetSeed(1);
        const QList<quint32> expected = {3, 86, 20, 27, 67};
        for (quint32 e : expected)
            QCOMPARE(random.Random(100), e);
        QCOMPARE(random.Seed(), quint32(2884733762u));
    }

    void shuffleIsExactForAKnownSeed_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QList<qint32>>("input");
        QTest::addColumn<QList<qint32>>("expected");
        QTest::addColumn<quint32>("seedAfter");
        QTest::newRow("five") << 12345u << QList<qint32>{0, 1, 2, 3, 4} << QList<qint32>{4, 1, 2, 0, 3}
                              << 3438479303u;
        QTest::newRow("ten") << 0u << QList<qint32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}
                             << QList<qint32>{6, 2, 0, 3, 8, 5, 1, 4, 9, 7} << 3813656098u;
        // One element: one swap with itself, two draws.
        QTest::newRow("one") << 99u << QList<qint32>{7} << QList<qint32>{7} << 723977649u;
        QTest::newRow("empty") << 5u << QList<qint32>{} << QList<qint32>{} << 5u;
    }
    void shuffleIsExactForAKnownSeed() {
        QFETCH(quint32, seed);
        QFETCH(QList<qint32>, input);
        QFETCH(QList<qint32>, expected);
        QFETCH(quint32, seedAfter);
        RandomGenerator random = FixedSeed(seed);
        random.SetSeed(~seed); // the shuffle re-seeds first, whatever the state was
        ShuffleIndexes(input, random);
        QCOMPARE(input, expected);
        QCOMPARE(random.Seed(), seedAfter);
    }

    // Pupils who start the program side by side get different orders: the first shuffle of a
    // fresh process is seeded from a clock that runs since the computer started.
    void freshStartsShuffleDifferently() {
        QSet<QByteArray> orders;
        constexpr int Starts = 60;
        for (int i = 0; i < Starts; ++i) {
            QProcess peer;
            peer.start(QStringLiteral(SHUFFLE_PEER), {});
            QVERIFY(peer.waitForFinished(30000));
            orders.insert(peer.readAllStandardOutput());
        }
        // Sixty draws from the 3.6 million orders of ten tasks practically never meet.
        QVERIFY2(orders.size() >= Starts - 1, qPrintable(QString::number(orders.size())));
    }

    void withoutTopicsEveryTaskIsAsked() {
        QTemporaryDir dir;
        TTest test(dir.path(), dir.path(), QDateTime());
        const QList<TTask> tasks = TasksWithThemes({0, 0, 0, 0, 0});
        RandomGenerator random = FixedSeed(12345);
        QCOMPARE(ChooseTaskOrder(test, tasks, random), (QList<qint32>{0, 1, 2, 3, 4}));
        test.RandomTaskOrder = true;
        QCOMPARE(ChooseTaskOrder(test, tasks, random), (QList<qint32>{4, 1, 2, 0, 3}));
        QVERIFY(ChooseTaskOrder(test, {}, random).isEmpty());
    }

    void topicsContributeTheirChoiceInFileOrder() {
        QTemporaryDir dir;
        TTest test(dir.path(), dir.path(), QDateTime());
        test.UseThemes = true;
        // Topic 1 has tasks 0, 2, 4, 6, 7 and asks 2 of them; topic 2 is unlimited; topic 3 asks none.
        test.Themes = {Theme(1, true, 2, 5), Theme(2, false, 0, 2), Theme(3, true, 0, 1)};
        test.TotalAskCount = 10; // stale: the order holds exactly what the topics give
        const QList<TTask> tasks = TasksWithThemes({1, 2, 1, 2, 1, 3, 1, 1});
        const QSet<qint32> topicOne = {0, 2, 4, 6, 7};
        RandomGenerator random = CountingSeed();
        QSet<QList<qint32>> choices;
        for (int run = 0; run < 20; ++run) {
            const QList<qint32> order = ChooseTaskOrder(test, tasks, random);
            QCOMPARE(order.size(), 4);
            QVERIFY(topicOne.contains(order[0]) && topicOne.contains(order[1]));
            QVERIFY(order[0] < order[1]);
            QCOMPARE(order.mid(2), (QList<qint32>{1, 3}));
            choices.insert(order.mid(0, 2));
        }
        QVERIFY2(choices.size() > 1, "a limited topic is chosen anew at each start");

        test.RandomTaskOrder = true;
        bool mixed = false;
        for (int run = 0; run < 20; ++run) {
            QList<qint32> order = ChooseTaskOrder(test, tasks, random);
            QCOMPARE(order.size(), 4);
            mixed = mixed || order.indexOf(1) < 2 || order.indexOf(3) < 2;
            std::sort(order.begin(), order.end());
            QVERIFY(order.contains(1) && order.contains(3));
        }
        QVERIFY2(mixed, "with random order the topics are mixed");

        // A stored 2 is neither 0 nor 1: the topics stay apart and in their order, but a limited
        // topic's choice is not sorted back into file order.
        test.RandomTaskOrder = 2;
        bool unsorted = false;
        for (int run = 0; run < 20; ++run) {
            const QList<qint32> order = ChooseTaskOrder(test, tasks, random);
            QVERIFY(topicOne.contains(order[0]) && topicOne.contains(order[1]));
            QCOMPARE(order.mid(2).size(), 2);
            unsorted = unsorted || order[0] > order[1];
        }
        QVERIFY(unsorted);
        test.UseThemes = false;
        QCOMPARE(ChooseTaskOrder(test, tasks, random), (QList<qint32>{0, 1, 2, 3, 4, 5, 6, 7}));
    }

    void collapseBlanks() {
        QCOMPARE(NameRules::CollapseBlanks("  Ivanov   Ivan  "), QByteArray("Ivanov Ivan"));
        QCOMPARE(NameRules::CollapseBlanks("\tA  B\r\n"), QByteArray("A B"));
        QCOMPARE(NameRules::CollapseBlanks("   "), QByteArray());
    }

    void defaultExpressions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("verdict");
        using V = NameRules::Verdict;
        QTest::newRow("plain") << "Иванов Иван"
                               << "10 А" << int(V::Accepted);
        // The built-in texts of the fields are no name, even where the expression would take them.
        QTest::newRow("built-in name") << " Фамилия  Имя"
                                       << "10 А" << int(V::NameRefused);
        QTest::newRow("built-in group") << "Иванов Иван"
                                        << "Класс" << int(V::GroupRefused);
        // Ukrainian pupils' names: their letters, both apostrophes and a double surname.
        for (const char* ukrainian : {"Іван Петренко", "Ірина Ющенко", "Євген Їжак", "Ґалаґан Ґедзь",
                                      "Дар'я Коваль", "Мар’яна Рибак", "Косач-Квітка Лариса", "Гнатюк Ілля"})
            QTest::newRow(ukrainian) << QString::fromUtf8(ukrainian) << "10 І" << int(V::Accepted);
        QTest::newRow("apostrophe at the end") << "Дар' Коваль"
                                               << "10 А" << int(V::NameRefused);
        QTest::newRow("apostrophe before a capital") << "Коваль 'Дар"
                                                     << "10 А" << int(V::NameRefused);
        QTest::newRow("hyphen alone") << "Косач- Лариса"
                                      << "10 А" << int(V::NameRefused);
        QTest::newRow("three words") << "Іван Петро Сидоренко"
                                     << "10 А" << int(V::NameRefused);
        QTest::newRow("Ukrainian group letter") << "Іван Петренко"
                                                << "5 Є" << int(V::Accepted);
        QTest::newRow("Ё is inside А-Я") << "Ёлкин Иван"
                                         << "9 б" << int(V::Accepted);
        QTest::newRow("ё is inside а-я") << "Фёдоров Пётр"
                                         << "1 Я" << int(V::Accepted);
        QTest::newRow("blanks collapse") << "  Иванов   Иван "
                                         << " 11  В" << int(V::Accepted);
        QTest::newRow("small letters") << "иванов иван"
                                       << "10 А" << int(V::NameRefused);
        QTest::newRow("bad name wins over bad group") << "Иванов"
                                                      << "12 А" << int(V::NameRefused);
        QTest::newRow("group 12") << "Иванов Иван"
                                  << "12 А" << int(V::GroupRefused);
        QTest::newRow("group without blank") << "Иванов Иван"
                                             << "10А" << int(V::GroupRefused);
        QTest::newRow("group Latin letter") << "Иванов Иван"
                                            << "10 A" << int(V::GroupRefused);
    }
    void defaultExpressions() {
        QFETCH(QString, name);
        QFETCH(QString, group);
        QFETCH(int, verdict);
        const TSettings s;
        const NameRules::Check c =
            NameRules::CheckNameAndGroup(Cp(name), Cp(group), s.UserNameExpression, s.UserGroupExpression);
        QCOMPARE(int(c.verdict), verdict);
        QCOMPARE(c.name, NameRules::CollapseBlanks(Cp(name)));
    }

    void expressionRules_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matched");
        QTest::newRow("found anywhere") << "ва"
                                        << "Иванов" << true;
        QTest::newRow("case counts") << "иван"
                                     << "Иванов" << false;
        QTest::newRow("$ only at the very end") << "^a$"
                                                << "a\n"
                                                << false;
        QTest::newRow("counted") << "^\\d{2,3}$"
                                 << "123" << true;
        QTest::newRow("counted too many") << "^\\d{2,3}$"
                                          << "1234" << false;
        QTest::newRow("word letters include Cyrillic") << "^\\w+ \\S+$"
                                                       << "Иван Ёж" << true;
        QTest::newRow("negated class") << "^[^0-9]+$"
                                       << "Ивана" << true;
        // Ranges follow the code page's byte order: Ё (A8) to ё (B8) holds І (B2) but not Ж (C6).
        QTest::newRow("І lies outside А-Я") << "^[А-Я]$"
                                            << "І" << false;
        QTest::newRow("byte order holds І") << "^[Ё-ё]$"
                                            << "І" << true;
        QTest::newRow("byte order lacks Ж") << "^[Ё-ё]$"
                                            << "Ж" << false;
        QTest::newRow("А-я lacks Ё") << "^[А-я]$"
                                     << "Ё" << false;
        QTest::newRow("escaped bracket in class") << "^[\\]a]+$"
                                                  << "]a]" << true;
        QTest::newRow("empty expression") << ""
                                          << "anything" << true;
    }
    void expressionRules() {
        QFETCH(QString, expression);
        QFETCH(QString, text);
        QFETCH(bool, matched);
        const NameRules::ExpressionMatch m = NameRules::MatchExpression(Cp(expression), Cp(text));
        QVERIFY2(m.valid, qPrintable(m.error));
        QCOMPARE(m.matched, matched);
    }

    void brokenExpressionIsReported() {
        for (const QString& bad : {QStringLiteral("[А-"), QStringLiteral("^[я-а]$"), QStringLiteral("(ab"),
                                   QStringLiteral("a{2,1}"), QStringLiteral("ab\\")}) {
            const NameRules::ExpressionMatch m = NameRules::MatchExpression(Cp(bad), "ab");
            QVERIFY2(!m.valid, qPrintable(bad));
            QVERIFY(!m.error.isEmpty());
        }
        const NameRules::Check c = NameRules::CheckNameAndGroup("a", "b", "", "(b");
        QCOMPARE(c.verdict, NameRules::Verdict::BadExpression);
        QVERIFY(!c.error.isEmpty());
        QCOMPARE(NameRules::RefusalText("10 \xC0"),
                 QStringLiteral("Не відповідає шаблону!\n\rЗразок: \"10 А\"."));
    }

    void greetingByHour_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("greeting");
        QTest::newRow("00:00") << QTime(0, 0) << "Доброй ночи!";
        QTest::newRow("05:59") << QTime(5, 59) << "Доброй ночи!";
        QTest::newRow("06:00") << QTime(6, 0) << "Доброе утро!";
        QTest::newRow("11:59") << QTime(11, 59) << "Доброе утро!";
        QTest::newRow("12:00") << QTime(12, 0) << "Добрый день!";
        QTest::newRow("17:59") << QTime(17, 59) << "Добрый день!";
        QTest::newRow("18:00") << QTime(18, 0) << "Добрый вечер!";
        QTest::newRow("23:59") << QTime(23, 59) << "Добрый вечер!";
    }
    void greetingByHour() {
        QFETCH(QTime, time);
        QFETCH(QString, greeting);
        QCOMPARE(NameRules::HelloText(QDateTime(QDate(2026, 3, 2), time)), greeting + " Как Вас Зовут?");
    }

    void runCounterCountsSinceBoot() {
        MemoryRunCounterStore store;
        QCOMPARE(CountTestRun(store, "{A}"), 0);
        QCOMPARE(CountTestRun(store, "{A}"), 1);
        QCOMPARE(CountTestRun(store, "{A}"), 2);
        QCOMPARE(store.counts.value("{A}"), QByteArray("3"));
        QCOMPARE(CountTestRun(store, "{B}"), 0); // per test
        store.Reboot();
        QCOMPARE(CountTestRun(store, "{A}"), 0); // the first start after a boot resets the count
        QCOMPARE(store.counts.value("{A}"), QByteArray("1"));
        store.counts.insert("{A}", "junk");
        QCOMPARE(CountTestRun(store, "{A}"), 100);
        store.counts.remove("{A}");
        QCOMPARE(CountTestRun(store, "{A}"), 100);
        QCOMPARE(store.counts.value("{A}"), QByteArray("101"));
    }

    void settingsStoreKeepsCountsAcrossRunsAndForgetsMarkersAtBoot() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("student.ini"), QSettings::IniFormat);
        UserStore ini(settings);
        const QByteArray uid = "{0A1B2C3D-0000-1111-2222-333344445555}";
        {
            SettingsRunCounterStore store(ini, [] { return QByteArray("boot-1"); });
            QCOMPARE(CountTestRun(store, uid), 0);
            QCOMPARE(CountTestRun(store, uid), 1);
        }
        {
            SettingsRunCounterStore sameBoot(ini, [] { return QByteArray("boot-1"); });
            QCOMPARE(CountTestRun(sameBoot, uid), 2);
        }
        {
            SettingsRunCounterStore nextBoot(ini, [] { return QByteArray("boot-2"); });
            QCOMPARE(CountTestRun(nextBoot, uid), 0);
            QCOMPARE(nextBoot.ReadCount(uid), std::optional<QByteArray>("1"));
        }
        {
            // Without a boot id the marker lives as long as the store object.
            SettingsRunCounterStore noBootId(ini, [] { return QByteArray(); });
            QCOMPARE(CountTestRun(noBootId, uid), 0);
            QCOMPARE(CountTestRun(noBootId, uid), 1);
        }
    }

    void clockText() {
        QCOMPARE(ClockText(0), QStringLiteral("00:00:00"));
        QCOMPARE(ClockText(30), QStringLiteral("00:00:30"));
        QCOMPARE(ClockText(3 * 3600 + 25 * 60 + 7), QStringLiteral("03:25:07"));
        QCOMPARE(ClockText(25 * 3600 + 1), QStringLiteral("01:00:01"));
    }

    void remainingClockTurnsRedAtNine_data() {
        QTest::addColumn<std::optional<qint32>>("remaining");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("urgent");
        QTest::newRow("no limit") << std::optional<qint32>() << QString() << false;
        QTest::newRow("ten left") << std::optional<qint32>(10) << u"00:00:10"_qs << false;
        QTest::newRow("nine left") << std::optional<qint32>(9) << u"00:00:09"_qs << true;
        QTest::newRow("none left") << std::optional<qint32>(0) << u"00:00:00"_qs << true;
        QTest::newRow("past the limit") << std::optional<qint32>(-3) << u"00:00:00"_qs << true;
        QTest::newRow("an hour") << std::optional<qint32>(3600) << u"01:00:00"_qs << false;
    }
    void remainingClockTurnsRedAtNine() {
        QFETCH(std::optional<qint32>, remaining);
        QFETCH(QString, text);
        QFETCH(bool, urgent);
        const RemainingClock clock = RemainingClockText(remaining);
        QCOMPARE(clock.text, text);
        QCOMPARE(clock.urgent, urgent);
    }

    void pointsWord_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("word");
        for (auto [n, w] : std::initializer_list<std::pair<int, const char*>>{{1, "балл"},
                                                                              {2, "балла"},
                                                                              {4, "балла"},
                                                                              {5, "баллов"},
                                                                              {11, "баллов"},
                                                                              {12, "баллов"},
                                                                              {21, "балл"},
                                                                              {22, "балла"},
                                                                              {111, "баллов"},
                                                                              {0, "баллов"},
                                                                              {-1, "баллов"},
                                                                              {-2, "баллов"}})
            QTest::addRow("%d", n) << n << QString::fromUtf8(w);
    }
    void pointsWord() {
        QFETCH(int, n);
        QFETCH(QString, word);
        QCOMPARE(PointsWord(n), word);
    }
};

QTEST_GUILESS_MAIN(TestSessionRules)
#include "tst_sessionrules.moc"
