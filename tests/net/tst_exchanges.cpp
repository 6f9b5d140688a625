// The connection test and the fetch of a test against a scripted server: what the client sends,
// which replies it accepts, and how every failure ends (within the exchange's bounds).
#include "FakeJournal.h"
#include "NetTesting.h"

#include "net/ConnectionTest.h"
#include "net/FetchExchange.h"
#include "net/ReportExchange.h"

#include <QTest>

namespace {
const QByteArray Name = "ROOM12-PC04";
const QByteArray Gl = "GETLIST\r\n" + Name + "\r\n";
const QByteArray Quit = "QUIT\r\n";

QByteArray GetTest(const QByteArray& entry) {
    return "GETTEST\r\n" + Name + "\r\n" + entry + "\r\n";
}

// A server's answer to "GETTEST" that hands out a test file.
QByteArray TestFileReply(const QByteArray& name, const QByteArray& file) {
    return "YES\r\n" + name + "\r\n" + Wire::Block(file);
}

const QByteArray FileBytes("\x51\x5A\x00\x01\r\n\xFF payload", 14);
} // namespace

Q_DECLARE_METATYPE(FetchEnd)

class TestExchanges : public QObject {
    Q_OBJECT
private slots:
    void connectionTest_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << QByteArray("OK\r\n") << int(ConnectionTestResult::Ok);
        QTest::newRow("OK, LF alone") << QByteArray("OK\n") << int(ConnectionTestResult::Ok);
        QTest::newRow("lower case") << QByteArray("ok\r\n") << int(ConnectionTestResult::OtherReply);
        QTest::newRow("trailing blank") << QByteArray("OK \r\n") << int(ConnectionTestResult::OtherReply);
        QTest::newRow("longest line") << QByteArray(Wire::MaxLineBytes, 'O') + "\r\n"
                                      << int(ConnectionTestResult::OtherReply);
        QTest::newRow("line over the limit") << QByteArray(Wire::MaxLineBytes + 1, 'O') + "\r\n"
                                             << int(ConnectionTestResult::Failed);
    }
    void connectionTest() {
        QFETCH(QByteArray, reply);
        QFETCH(int, result);
        FakeJournal journal;
        journal.testReply = reply;
        ConnectionTest test(Local(journal.Port()), Name, AnsweringLimits());
        QVERIFY(RunToEnd(test));
        QCOMPARE(int(test.Result()), result);
        QTRY_COMPARE(journal.raw.value(0), "TEST\r\n" + Name + "\r\n" + Quit);
        switch (test.Result()) {
        case ConnectionTestResult::Ok:
            QCOMPARE(test.NoticeToShow(), NetNotice::ConnectionOk());
            QCOMPARE(test.NoticeToShow()->text, QStringLiteral("Соединение прошло успешно..."));
            QCOMPARE(test.NoticeToShow()->caption, QStringLiteral("QuizarStudent"));
            QCOMPARE(test.NoticeToShow()->icon, MsgIcon::None);
            break;
        case ConnectionTestResult::OtherReply:
            QVERIFY(!test.NoticeToShow());
            break;
        case ConnectionTestResult::Failed:
            QCOMPARE(test.NoticeToShow(), NetNotice::NoConnection());
            break;
        }
    }

    void connectionTestFailures_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("nobody listens") << 0;
        QTest::newRow("accepts and never answers") << 1;
        QTest::newRow("port 0") << 2;
    }
    void connectionTestFailures() {
        QFETCH(int, kind);
        FakeJournal journal;
        journal.silent = kind == 1;
        if (kind == 0)
            journal.Stop();
        ConnectionTest test(Local(kind == 2 ? 0 : journal.Port()), Name, SilentLimits());
        QVERIFY(RunToEnd(test));
        QCOMPARE(test.Result(), ConnectionTestResult::Failed);
        QCOMPARE(test.NoticeToShow()->text, QStringLiteral("Нет связи с сервером!"));
        QCOMPARE(test.NoticeToShow()->caption, QStringLiteral("Ошибка!"));
        QCOMPARE(test.NoticeToShow()->icon, MsgIcon::Error);
    }

    void portFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("decimal") << QStringLiteral("5005") << 5005;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("letters") << QStringLiteral("50a5") << 0;
    }
    void portFromText() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(PortFromText(text), port);
    }

    void fetch_data() {
        QTest::addColumn<QByteArray>("listReply");
        QTest::addColumn<QByteArray>("getTestReply");
        QTest::addColumn<int>("choice");      // what the pupil picks; -2: must not be asked
        QTest::addColumn<QByteArray>("sent"); // every byte the server received
        QTest::addColumn<int>("end");

        const QByteArray two = "YES\r\n2\r\nC:\\Tests\\a.qzf\r\nD:\\b.qzf\r\n";
        const QByteArray file = TestFileReply("D:\\b.qzf", FileBytes);
        QTest::newRow("one entry is taken without asking")
            << QByteArray("YES\r\n1\r\nC:\\Tests\\a.qzf\r\n") << TestFileReply("C:\\Tests\\a.qzf", FileBytes)
            << -2 << Gl + GetTest("C:\\Tests\\a.qzf") + Quit << int(FetchEnd::Loaded);
        QTest::newRow("two entries, the second chosen")
            << two << file << 1 << Gl + GetTest("D:\\b.qzf") + Quit << int(FetchEnd::Loaded);
        QTest::newRow("LF alone after every line")
            << QByteArray("YES\n2\nC:\\Tests\\a.qzf\nD:\\b.qzf\n")
            << QByteArray("YES\nD:\\b.qzf\n14\n") + FileBytes << 1 << Gl + GetTest("D:\\b.qzf") + Quit
            << int(FetchEnd::Loaded);
        QTest::newRow("the entry goes back as it came")
            << QByteArray("YES\r\n2\r\n \\\\srv\\t\\x y.qzf \r\nb\r\n") << file << 0
            << Gl + GetTest(" \\\\srv\\t\\x y.qzf ") + Quit << int(FetchEnd::Loaded);
        QTest::newRow("cancelled choice") << two << file << -1 << Gl + Quit << int(FetchEnd::NotChosen);
        QTest::newRow("NO to GETLIST")
            << QByteArray("NO\r\n") << file << -2 << Gl + Quit << int(FetchEnd::Refused);
        QTest::newRow("YES with a blank")
            << QByteArray("YES \r\n1\r\na\r\n") << file << -2 << Gl + Quit << int(FetchEnd::Refused);
        QTest::newRow("lower-case yes")
            << QByteArray("yes\r\n1\r\na\r\n") << file << -2 << Gl + Quit << int(FetchEnd::Refused);
        QTest::newRow("no entries") << QByteArray("YES\r\n0\r\n") << file << -2 << Gl + Quit
                                    << int(FetchEnd::Refused);
        QTest::newRow("count not a number")
            << QByteArray("YES\r\nmany\r\na\r\n") << file << -2 << Gl + Quit << int(FetchEnd::Refused);
        QTest::newRow("negative count")
            << QByteArray("YES\r\n-3\r\n") << file << -2 << Gl + Quit << int(FetchEnd::Refused);
        QTest::newRow("NO to GETTEST") << two << QByteArray("NO\r\n") << 0
                                       << Gl + GetTest("C:\\Tests\\a.qzf") + Quit << int(FetchEnd::Refused);
        QTest::newRow("bad length line") << two << QByteArray("YES\r\nD:\\b.qzf\r\n14x\r\n") + FileBytes << 1
                                         << Gl + GetTest("D:\\b.qzf") + Quit << int(FetchEnd::Failed);
        QTest::newRow("entry over the line limit")
            << "YES\r\n2\r\na\r\n" + QByteArray(Wire::MaxLineBytes + 1, 'e') + "\r\n"
            << file << -2 << Gl + Quit << int(FetchEnd::Failed);
        QTest::newRow("more tests than anyone offers")
            << QByteArray("YES\r\n100000000\r\n") << file << -2 << Gl + Quit << int(FetchEnd::Failed);
        QTest::newRow("test file cut short") << two << QByteArray("YES\r\nD:\\b.qzf\r\n99\r\nshort") << 1
                                             << Gl + GetTest("D:\\b.qzf") + Quit << int(FetchEnd::Failed);
    }
    void fetch() {
        QFETCH(QByteArray, listReply);
        QFETCH(QByteArray, getTestReply);
        QFETCH(int, choice);
        QFETCH(QByteArray, sent);
        QFETCH(int, end);
        FakeJournal journal;
        journal.listReply = listReply;
        journal.getTestReply = getTestReply;
        QList<QList<QByteArray>> asked;
        FetchExchange fetch(
            Local(journal.Port()), Name,
            [&](const QList<QByteArray>& entries, std::function<void(int)> choose) {
                asked.append(entries);
                choose(choice);
            },
            QTest::currentDataTag() == QByteArray("test file cut short") ? SilentLimits()
                                                                         : AnsweringLimits());
        QVERIFY(RunToEnd(fetch));
        const FetchOutcome outcome = fetch.Result();
        QCOMPARE(int(outcome.end), end);
        QCOMPARE(asked.size(), choice == -2 ? 0 : 1);
        if (choice != -2)
            QCOMPARE(asked[0].size(), 2);
        QTRY_COMPARE(journal.raw.value(0), sent);
        QCOMPARE(journal.Connections(), 1);

        switch (outcome.end) {
        case FetchEnd::Loaded:
            QCOMPARE(outcome.testName, sent.contains("a.qzf\r\nQUIT") ? QByteArray("C:\\Tests\\a.qzf")
                                                                      : QByteArray("D:\\b.qzf"));
            QCOMPARE(outcome.testFile, FileBytes);
            QVERIFY(!outcome.NoticeToShow());
            break;
        case FetchEnd::NotChosen:
            QVERIFY(!outcome.NoticeToShow());
            break;
        case FetchEnd::Refused:
            QCOMPARE(outcome.NoticeToShow(), NetNotice::FetchRefused());
            QCOMPARE(outcome.NoticeToShow()->text, QStringLiteral("Отказано в получении теста..."));
            QCOMPARE(outcome.NoticeToShow()->caption, QStringLiteral("QuizarStudent"));
            QCOMPARE(outcome.NoticeToShow()->icon, MsgIcon::None);
            break;
        case FetchEnd::Failed:
            QCOMPARE(outcome.NoticeToShow()->text, QStringLiteral("Ошибка связи с сервером!"));
            QCOMPARE(outcome.NoticeToShow()->caption, QStringLiteral("Ошибка!"));
            QCOMPARE(outcome.NoticeToShow()->icon, MsgIcon::Error);
            break;
        }
    }

    // The pupil takes his time; the server drops the idle connection meanwhile, and "GETTEST"
    // goes out on a new one.
    void serverDropsTheListConnectionWhileThePupilChooses() {
        FakeJournal journal;
        journal.listReply = "YES\r\n2\r\nC:\\Tests\\a.qzf\r\nD:\\b.qzf\r\n";
        journal.getTestReply = TestFileReply("D:\\b.qzf", FileBytes);
        journal.closeAfterList = true;
        std::function<void(int)> choose;
        FetchExchange fetch(
            Local(journal.Port()), Name,
            [&](const QList<QByteArray>&, std::function<void(int)> chosen) { choose = std::move(chosen); },
            AnsweringLimits());
        QSignalSpy finished(&fetch, &Exchange::Finished);
        fetch.Start();
        QTRY_VERIFY(choose);
        // The list's connection is closed by the server before the pupil decides.
        QTRY_COMPARE(journal.Requests("GETLIST").size(), 1);
        QTest::qWait(50);
        QVERIFY(!fetch.IsFinished());
        choose(1);
        QVERIFY(finished.wait(30000));
        QCOMPARE(fetch.Result().end, FetchEnd::Loaded);
        QCOMPARE(fetch.Result().testFile, FileBytes);
        QCOMPARE(journal.Connections(), 2);
        QTRY_COMPARE(journal.raw.value(1), GetTest("D:\\b.qzf") + Quit);
    }

    // A chooser that is still open when the exchange goes away must not call into it afterwards.
    void lateChoiceAfterTheExchangeIsGone() {
        FakeJournal journal;
        journal.listReply = "YES\r\n2\r\na\r\nb\r\n";
        std::function<void(int)> choose;
        {
            FetchExchange fetch(
                Local(journal.Port()), Name,
                [&](const QList<QByteArray>&, std::function<void(int)> chosen) {
                    choose = std::move(chosen);
                },
                AnsweringLimits());
            fetch.Start();
            QTRY_VERIFY(choose);
        }
        choose(0);
        QTest::qWait(20);
        QVERIFY(journal.Requests("GETTEST").isEmpty());
    }

    void silentServersFailWithinTheBound_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("fetch") << 0;
        QTest::newRow("report") << 1;
    }
    void silentServersFailWithinTheBound() {
        QFETCH(int, kind);
        FakeJournal journal;
        journal.silent = true;
        std::unique_ptr<Exchange> exchange;
        if (kind == 0)
            exchange = std::make_unique<FetchExchange>(Local(journal.Port()), Name, nullptr, SilentLimits());
        else
            exchange = std::make_unique<ReportExchange>(Local(journal.Port()), SilentLimits(),
                                                        ReportExchange::ProgressMessage({}));
        QVERIFY(RunToEnd(*exchange));
        QCOMPARE(exchange->Outcome().Failure(), Fault::Network);
        QCOMPARE(journal.Connections(), 1);
    }

    void reportIsDeliveredOnceTheServerClosesOrAnswers_data() {
        QTest::addColumn<bool>("stayOpen");
        QTest::newRow("closes after QUIT") << false;
        QTest::newRow("answers QUIT and stays open") << true;
    }
    void reportIsDeliveredOnceTheServerClosesOrAnswers() {
        QFETCH(bool, stayOpen);
        FakeJournal journal;
        journal.stayOpenAfterQuit = stayOpen;
        ProgressRecord progress;
        progress.SessionId = "{0F8FAD5B-D9CB-469F-A165-70867728950E}";
        progress.AskedCount = 3;
        ReportExchange report(Local(journal.Port()), AnsweringLimits(),
                              ReportExchange::ProgressMessage(progress));
        QVERIFY(RunToEnd(report));
        QVERIFY2(report.Outcome().Ok(), qPrintable(report.Outcome().Detail()));
        QCOMPARE(journal.raw.value(0), "INFOPROCESS\r\n70\r\n" + EncodeProgressRecord(progress) + Quit);
    }
};

QTEST_GUILESS_MAIN(TestExchanges)
#include "tst_exchanges.moc"
