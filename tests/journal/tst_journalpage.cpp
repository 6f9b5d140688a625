// The teacher's page: its JSON and CSV over HTTP, and the page itself in a real headless browser,
// which must fill the table and follow a report without being reloaded. The browser checks skip
// where no Chromium is installed.
#include "JournalFixture.h"
#include "JournalServer.h"
#include "JournalStore.h"
#include "JournalWeb.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
struct HttpReply {
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QByteArray type;
};

SessionStartRecord Start(int n, const QByteArray& group, const QByteArray& test) {
    SessionStartRecord s;
    s.SessionId = SessionIdOf(n);
    s.UserName = "Pupil " + QByteArray::number(n);
    s.UserGroup = group;
    s.ComputerName = "PC-" + QByteArray::number(n);
    s.TestTitle = test;
    s.AskCount = 10;
    s.MaxScore = 10;
    return s;
}

QString Chromium() {
    // The launcher script of Debian's package adds flags of its own; the program itself takes
    // exactly the ones given.
    if (QFileInfo(u"/usr/lib/chromium/chromium"_qs).isExecutable())
        return u"/usr/lib/chromium/chromium"_qs;
    return QStandardPaths::findExecutable(u"chromium"_qs);
}
} // namespace

class TestJournalPage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init() {
        ++m_count;
        m_server.reset();
        m_web.reset();
        m_store.reset();
        QVERIFY(MakeJournalStore(u"sqlite:"_qs + m_dir.filePath(QStringLiteral("page%1.sqlite").arg(m_count)),
                                 u"page"_qs, m_store)
                    .Ok());
        QVERIFY(m_store->Open().Ok());
        m_server = std::make_unique<JournalServer>(*m_store, TestShelf(m_dir.path()));
        QVERIFY(m_server->Listen(QHostAddress::LocalHost, 0).Ok());
        m_web = std::make_unique<JournalWeb>(*m_store);
        QVERIFY(m_web->Listen(QHostAddress::LocalHost, 0).Ok());
        connect(m_server.get(), &JournalServer::Changed, m_web.get(), &JournalWeb::Invalidate);
        m_nam.setProxy(QNetworkProxy::NoProxy);
    }

    void cleanup() {
        m_server.reset();
        m_web.reset();
        m_store.reset();
    }

    // The JSON behind the page, newest session first (a session known only from its result started
    // its elapsed time before the result came); a poll that finds nothing new gets a 304;
    // the CSV download holds the finished results only, filtered as asked.
    void api() {
        QCOMPARE(Talk(m_server->Port(), StartBytes(Start(1, "7-A", "Fractions"))).received, "OK\r\n"_qba);
        const TResultTest done = FinishedResult("Pupil 2", "7-B", 10, 9);
        QCOMPARE(Talk(m_server->Port(), ResultBytes(SessionIdOf(2), done)).received, "OK\r\n"_qba);

        const HttpReply first = Get("/api/sessions");
        QCOMPARE(first.status, 200);
        QCOMPARE(first.type, "application/json"_qba);
        const QJsonArray sessions = QJsonDocument::fromJson(first.body).array();
        QCOMPARE(sessions.size(), 2);
        const QJsonObject open = sessions[0].toObject();
        const QJsonObject finished = sessions[1].toObject();
        QCOMPARE(finished[u"SessionId"_qs].toString(), QString::fromLatin1(SessionIdOf(2)));
        QCOMPARE(finished[u"Finished"_qs].toBool(), true);
        QCOMPARE(finished[u"RightCount"_qs].toInt(), 9);
        QCOMPARE(finished[u"Mark"_qs].toInt(), done.Mark);
        QCOMPARE(finished[u"MarkName"_qs].toString(), QString::fromLatin1(done.MarkName));
        QCOMPARE(open[u"UserName"_qs].toString(), u"Pupil 1"_qs);
        QCOMPARE(open[u"Finished"_qs].toBool(), false);
        QVERIFY(!open.contains(u"Mark"_qs));
        for (const char* key : {"UserGroup", "ComputerName", "TestTitle", "AskCount", "AskedCount",
                                "WrongCount", "Score", "StartedAt"})
            QVERIFY2(open.contains(QLatin1StringView(key)), key);

        QCOMPARE(Get("/api/sessions", first.etag).status, 304);
        QCOMPARE(Talk(m_server->Port(), ProgressBytes(ProgressRecordOf(done, SessionIdOf(1)))).received,
                 "OK\r\n"_qba);
        QCOMPARE(Get("/api/sessions", first.etag).status, 200);

        const HttpReply csv = Get("/api/results.csv?group=7-B");
        QCOMPARE(csv.status, 200);
        QCOMPARE(csv.body.count("\r\n"), 2); // header and the one finished result
        QVERIFY(csv.body.contains("Pupil 2,7-B,"));
        QCOMPARE(Get("/api/results.csv?group=7-A").body.count("\r\n"), 1);
        QCOMPARE(Get("/nothing").status, 404);
        QCOMPARE(Get("/").type, "text/html; charset=utf-8"_qba);
    }

    // The page in a browser: the table fills from the journal, and a report that comes while the
    // page is open shows on the next poll, without a reload.
    void browserFollowsReports() {
        const QString chromium = Chromium();
        if (chromium.isEmpty())
            QSKIP("chromium is not installed (Debian: chromium); the page was not checked in a browser");
        QCOMPARE(Talk(m_server->Port(), StartBytes(Start(1, "7-A", "Fractions"))).received, "OK\r\n"_qba);
        QCOMPARE(Talk(m_server->Port(), ResultBytes(SessionIdOf(2), FinishedResult("Pupil 2", "7-B", 10, 9)))
                     .received,
                 "OK\r\n"_qba);

        int pages = 0;
        int polls = 0;
        connect(m_web.get(), &JournalWeb::Served, this, [&](const QString& path) {
            pages += path == u"/";
            if (path == u"/api/sessions" && ++polls == 1) {
                // Right after the page's first look, pupil 1 answers three tasks.
                ProgressRecord p;
                p.SessionId = SessionIdOf(1);
                p.AskedCount = 3;
                p.RightCount = 2;
                p.WrongCount = 1;
                p.Score = 2;
                JournalReport report;
                report.kind = JournalReport::Kind::Progress;
                report.progress = p;
                report.receivedAt = QDateTime::currentDateTimeUtc();
                m_server->Queue().Submit(report, {});
                m_server->Queue().Flush();
            }
        });
        const QByteArray dom = Browse(chromium, {u"--dump-dom"_qs});
        QVERIFY2(dom.contains("<tbody id=\"rows\">"), dom.left(300).constData());
        QCOMPARE(pages, 1);
        QVERIFY(polls >= 2);

        const QList<QStringList> rows = Rows(dom);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value(0), u"Pupil 1"_qs);
        QCOMPARE(rows[0].value(4), u"3 / 10"_qs);
        QCOMPARE(rows[0].value(5), u"2"_qs);
        QCOMPARE(rows[0].value(9), u"not finished"_qs);
        QCOMPARE(rows[1].value(0), u"Pupil 2"_qs);
        QCOMPARE(rows[1].value(10), u"10"_qs); // the mark
    }

    // A whole class on the page, with the filters offering its groups and tests. With
    // QUIZAR_JOURNAL_SCREENSHOT set to a path, a picture of the page is saved there too.
    void wholeClass() {
        const QString chromium = Chromium();
        if (chromium.isEmpty())
            QSKIP("chromium is not installed (Debian: chromium); the page was not checked in a browser");
        QList<JournalReport> reports;
        static const char* const names[] = {"Бондаренко", "Ковальчук", "Шевченко", "Мельник", "Кравченко",
                                            "Ткаченко",   "Олійник",   "Лисенко",  "Руденко", "Марченко"};
        for (int i = 0; i < 30; ++i) {
            const QByteArray name =
                Cp(QString::fromUtf8(names[i % 10])) + " " + QByteArray(1, char('A' + i / 10)) + ".";
            const QByteArray group = i < 15 ? "7-A" : "7-B";
            const QByteArray test = i % 3 ? "Fractions" : "Decimals";
            JournalReport start;
            start.kind = JournalReport::Kind::Start;
            start.start = Start(i, group, test);
            start.start.UserName = name;
            start.receivedAt = QDateTime::currentDateTimeUtc().addSecs(-1800 + i * 20);
            reports.append(start);
            if (i % 4 == 3)
                continue; // still working
            TResultTest r = FinishedResult(name, group, 10, i % 11);
            r.TestTitle = test;
            r.ComputerName = start.start.ComputerName;
            JournalReport result;
            result.kind = JournalReport::Kind::Result;
            result.sessionId = start.start.SessionId;
            result.result = r;
            result.resultBytes = EncodeResultRecord(r);
            result.receivedAt = start.receivedAt.addSecs(900);
            reports.append(result);
        }
        QList<ReportOutcome> outcomes;
        QVERIFY(m_store->Apply(reports, outcomes).Ok());
        m_web->Invalidate();

        const QByteArray dom = Browse(chromium, {u"--dump-dom"_qs});
        const QList<QStringList> rows = Rows(dom);
        QCOMPARE(rows.size(), 30);
        QCOMPARE(rows.count(QStringList()), 0);
        int open = 0;
        for (const QStringList& row : rows)
            open += row.value(9) == u"not finished";
        QCOMPARE(open, 7);
        QVERIFY(dom.contains("<option value=\"7-B\">7-B</option>"));
        QVERIFY(dom.contains("<option value=\"Decimals\">Decimals</option>"));

        const QString shot = qEnvironmentVariable("QUIZAR_JOURNAL_SCREENSHOT");
        if (!shot.isEmpty()) {
            Browse(chromium,
                   {u"--screenshot="_qs + shot, u"--window-size=1400,1100"_qs, u"--hide-scrollbars"_qs});
            QVERIFY(QFileInfo(shot).size() > 0);
        }
    }

private:
    HttpReply Get(const QByteArray& path, const QByteArray& etag = {}) {
        QNetworkRequest request(
            QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_web->Port()) + QString::fromLatin1(path)));
        if (!etag.isEmpty())
            request.setRawHeader("If-None-Match", etag);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        QNetworkReply* reply = m_nam.get(request);
        WaitFor([&] { return reply->isFinished(); });
        HttpReply r;
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        r.body = reply->readAll();
        r.etag = reply->rawHeader("ETag");
        r.type = reply->rawHeader("Content-Type");
        reply->deleteLater();
        return r;
    }

    // Opens the page in a fresh headless browser that runs it for five seconds of page time (the
    // browser fast-forwards the page's timers, so this takes far less) and gives its output.
    QByteArray Browse(const QString& chromium, const QStringList& what) {
        QTemporaryDir profile;
        QProcess browser;
        browser.setProcessChannelMode(QProcess::SeparateChannels);
        browser.start(chromium,
                      QStringList{u"--headless"_qs, u"--no-sandbox"_qs, u"--disable-gpu"_qs,
                                  u"--disable-quic"_qs, u"--no-first-run"_qs,
                                  u"--disable-background-networking"_qs, u"--disable-component-update"_qs,
                                  u"--disable-sync"_qs, u"--no-proxy-server"_qs,
                                  u"--user-data-dir="_qs + profile.path(), u"--virtual-time-budget=5000"_qs} +
                          what + QStringList{QStringLiteral("http://127.0.0.1:%1/").arg(m_web->Port())});
        QByteArray out;
        const bool finished = WaitFor(
            [&] {
                out += browser.readAllStandardOutput();
                return browser.state() == QProcess::NotRunning;
            },
            60000);
        if (!finished) {
            browser.kill();
            browser.waitForFinished(5000);
        }
        out += browser.readAllStandardOutput();
        if (!finished || browser.exitCode() != 0)
            qWarning().noquote() << "chromium:" << browser.readAllStandardError().right(2000);
        return out;
    }

    // The cells of every row of the table, as text.
    static QList<QStringList> Rows(const QByteArray& dom) {
        QList<QStringList> rows;
        const qsizetype begin = dom.indexOf("<tbody id=\"rows\">");
        const qsizetype end = dom.indexOf("</tbody>", begin);
        if (begin < 0 || end < 0)
            return rows;
        const QString body = QString::fromUtf8(dom.mid(begin, end - begin));
        static const QRegularExpression row(u"<tr[^>]*>(.*?)</tr>"_qs);
        static const QRegularExpression cell(u"<td[^>]*>(.*?)</td>"_qs);
        for (auto r = row.globalMatch(body); r.hasNext();) {
            QStringList cells;
            const QString inner = r.next().captured(1);
            for (auto c = cell.globalMatch(inner); c.hasNext();)
                cells.append(c.next().captured(1));
            rows.append(cells);
        }
        return rows;
    }

    QTemporaryDir m_dir;
    int m_count = 0;
    QNetworkAccessManager m_nam;
    std::unique_ptr<JournalStore> m_store;
    std::unique_ptr<JournalServer> m_server;
    std::unique_ptr<JournalWeb> m_web;
};

QTEST_GUILESS_MAIN(TestJournalPage)
#include "tst_journalpage.moc"
