// A school's worth of pupils reporting to the journal over loopback: 1000 simulated pupils, each
// with INFOBEGIN, 10 INFOPROCESS and RESULT, with the bytes of the pupil's program and a new
// connection per exchange, at most `Concurrency` exchanges in flight. Measured: exchanges per
// second and the 99th-percentile time of one exchange (connect to the server's close, which
// comes only after the report is committed). The floor is a bare QTcpServer in the same run that
// reads the same traffic and throws it away. The journal runs on SQLite and, where a throw-away
// cluster can be started, on PostgreSQL; the server always has a thread of its own, as in the
// real program it has the process.
#include "JournalServer.h"
#include "JournalStore.h"
#include "TempPostgres.h"
#include "model/ResultTest.h"
#include "net/Records.h"
#include "net/Wire.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>

namespace {
constexpr int Pupils = 1000;
constexpr int ProgressReports = 10;
constexpr int Concurrency = 64;
constexpr int Tasks = 10;

std::map<std::string, double> g_rate;

QByteArray SessionId(int pupil) {
    return "{" + QByteArray::number(0x20000000 + pupil, 16).toUpper() + "-AAAA-BBBB-CCCC-DDDDEEEEFFFF}";
}

// The bytes of one pupil's twelve exchanges, in order.
QList<QByteArray> PupilTraffic(int pupil) {
    TResultTest r(Tasks);
    r.UserName = "Pupil " + QByteArray::number(pupil);
    r.UserGroup = QByteArray::number(5 + pupil % 7) + "-A";
    r.ComputerName = "PC-" + QByteArray::number(pupil % 30);
    r.LoginName = "pupil";
    r.TestTitle = "Fractions";
    r.TestFileName = "fractions.qzf";
    r.TestCrc = qint32(0x12345678);
    r.TestUId = "{TEST}";
    r.AskCount = Tasks;
    r.MaxScore = Tasks;
    const QByteArray id = SessionId(pupil);
    QList<QByteArray> traffic;
    traffic.append(Wire::Line("INFOBEGIN") + Wire::Block(EncodeStartRecord(StartRecordOf(r, id))) +
                   Wire::Line("QUIT"));
    for (int i = 0; i < ProgressReports; ++i) {
        r.AskedCount = i + 1;
        r.TaskPoints[i] = (pupil + i) % 3 ? 1 : 0;
        (r.TaskPoints[i] ? r.RightCount : r.WrongCount) += 1;
        r.Score = r.RightCount;
        r.CheckedMax = i + 1;
        r.TaskSeconds[i] = 30 + i;
        r.TaskAnswers[i] = QByteArray::number(i);
        traffic.append(Wire::Line("INFOPROCESS") +
                       Wire::Block(EncodeProgressRecord(ProgressRecordOf(r, id))) + Wire::Line("QUIT"));
    }
    r.EndReason = 1;
    r.Mark = r.RightCount;
    r.MarkName = QByteArray::number(r.Mark);
    traffic.append(Wire::Line("RESULT") + Wire::Line(id) + Wire::Block(EncodeResultRecord(r)) +
                   Wire::Line("QUIT"));
    return traffic;
}

// ---- The servers, each on a thread of its own ---------------------------------------------

class ServerThread : public QThread {
public:
    // `make` runs on the new thread, sets up the server there and gives its port (0: failed).
    explicit ServerThread(std::function<quint16(QObject* owner)> make) : m_make(std::move(make)) {}

    quint16 Begin() {
        start();
        m_ready.acquire();
        return m_port;
    }
    void End() {
        quit();
        wait();
    }

protected:
    void run() override {
        {
            QObject owner;
            m_port = m_make(&owner);
            m_ready.release();
            if (m_port != 0)
                exec();
            m_cleanup();
        }
    }

public:
    std::function<void()> m_cleanup = [] {};

private:
    std::function<quint16(QObject*)> m_make;
    QSemaphore m_ready;
    std::atomic<quint16> m_port = 0;
};

// Reads everything and closes after "QUIT", as the journal does, but does nothing with it.
quint16 StartBareServer(QObject* owner) {
    auto* server = new QTcpServer(owner);
    server->setMaxPendingConnections(1024);
    server->setListenBacklogSize(1024);
    QObject::connect(server, &QTcpServer::pendingConnectionAvailable, server, [server] {
        while (QTcpSocket* s = server->nextPendingConnection()) {
            auto tail = std::make_shared<QByteArray>();
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, tail] {
                *tail = (*tail + s->readAll()).right(6);
                if (tail->endsWith("QUIT\r\n"))
                    s->disconnectFromHost();
            });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return server->listen(QHostAddress::LocalHost, 0) ? server->serverPort() : 0;
}

// ---- The pupils -----------------------------------------------------------------------------

struct Figures {
    double exchangesPerSecond = 0;
    double p50Ms = 0;
    double p99Ms = 0;
    double maxMs = 0;
    int failed = 0;
};

Figures RunPupils(quint16 port, const QList<QList<QByteArray>>& traffic) {
    struct Job {
        int pupil;
        int step;
    };
    std::deque<Job> ready;
    for (int p = 0; p < Pupils; ++p)
        ready.push_back({p, 0});
    std::vector<double> times;
    times.reserve(size_t(Pupils) * (ProgressReports + 2));
    int inFlight = 0;
    int failed = 0;
    QEventLoop loop;
    std::function<void()> launch;
    auto finish = [&](QTcpSocket* s, Job job, qint64 startedNs, QElapsedTimer* clock, bool ok) {
        if (ok)
            times.push_back(double(clock->nsecsElapsed() - startedNs) / 1e6);
        else
            ++failed;
        s->deleteLater();
        --inFlight;
        // A pupil's next report starts only after the last one ended, as in the real program.
        if (job.step + 1 < int(traffic[job.pupil].size()))
            ready.push_back({job.pupil, job.step + 1});
        launch();
    };
    QElapsedTimer clock;
    clock.start();
    launch = [&] {
        while (inFlight < Concurrency && !ready.empty()) {
            const Job job = ready.front();
            ready.pop_front();
            ++inFlight;
            auto* s = new QTcpSocket;
            const qint64 started = clock.nsecsElapsed();
            const QByteArray bytes = traffic[job.pupil][job.step];
            QObject::connect(s, &QTcpSocket::connected, s, [s, bytes] { s->write(bytes); });
            QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
            QObject::connect(s, &QTcpSocket::disconnected, s,
                             [=, &finish, &clock] { finish(s, job, started, &clock, true); });
            QObject::connect(s, &QTcpSocket::errorOccurred, s,
                             [=, &finish, &clock](QAbstractSocket::SocketError e) {
                                 if (e != QAbstractSocket::RemoteHostClosedError) {
                                     s->disconnect();
                                     finish(s, job, started, &clock, false);
                                 }
                             });
            s->connectToHost(QHostAddress::LocalHost, port);
        }
        if (inFlight == 0 && ready.empty())
            loop.quit();
    };
    launch();
    loop.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    Figures f;
    f.failed = failed;
    f.exchangesPerSecond = double(times.size()) / seconds;
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        f.p50Ms = times[times.size() / 2];
        f.p99Ms = times[std::min(times.size() - 1, size_t(double(times.size()) * 0.99))];
        f.maxMs = times.back();
    }
    return f;
}

void Report(benchmark::State& state, const std::string& name, const Figures& f) {
    state.counters["exchanges_per_s"] = f.exchangesPerSecond;
    state.counters["p50_ms"] = f.p50Ms;
    state.counters["p99_ms"] = f.p99Ms;
    state.counters["max_ms"] = f.maxMs;
    state.counters["failed"] = f.failed;
    g_rate[name] = f.exchangesPerSecond;
}

const QList<QList<QByteArray>>& Traffic() {
    static const QList<QList<QByteArray>> traffic = [] {
        QList<QList<QByteArray>> t;
        for (int p = 0; p < Pupils; ++p)
            t.append(PupilTraffic(p));
        return t;
    }();
    return traffic;
}

void BM_BareServer(benchmark::State& state) {
    for (auto _ : state) {
        ServerThread thread(StartBareServer);
        const quint16 port = thread.Begin();
        const Figures f = RunPupils(port, Traffic());
        thread.End();
        Report(state, "bare", f);
    }
}

// The journal on the database `url`; counts what was stored afterwards.
void RunJournal(benchmark::State& state, const std::string& name, const QString& url) {
    for (auto _ : state) {
        std::unique_ptr<JournalStore> store;
        QString why;
        ServerThread thread([&](QObject* owner) -> quint16 {
            if (!MakeJournalStore(url, u"bench"_qs, store).Ok())
                return 0;
            if (const Status s = store->Open(); !s.Ok()) {
                why = s.Detail();
                return 0;
            }
            auto* server = new JournalServer(*store, TestShelf(QString()), {}, owner);
            return server->Listen(QHostAddress::LocalHost, 0).Ok() ? server->Port() : 0;
        });
        int results = -1;
        thread.m_cleanup = [&] {
            if (!store)
                return;
            QList<ExportedResult> stored;
            if (store->ListResults(stored).Ok())
                results = int(stored.size());
            store.reset();
        };
        const quint16 port = thread.Begin();
        if (port == 0) {
            thread.End();
            state.SkipWithError(("the journal did not start: " + why.toStdString()).c_str());
            return;
        }
        const Figures f = RunPupils(port, Traffic());
        thread.End();
        Report(state, name, f);
        state.counters["results_stored"] = results;
    }
}

void BM_JournalSqlite(benchmark::State& state) {
    QTemporaryDir dir;
    RunJournal(state, "sqlite", u"sqlite:"_qs + dir.filePath(u"bench.sqlite"_qs));
}

void BM_JournalPostgres(benchmark::State& state) {
    TempPostgres pg;
    QString why;
    QString url;
    if (!pg.Start(why) || !pg.CreateDatabase(u"bench"_qs, url, why)) {
        state.SkipWithError(("no PostgreSQL cluster: " + why.toStdString()).c_str());
        for (auto _ : state) {
        }
        return;
    }
    RunJournal(state, "postgresql", url);
}
} // namespace

BENCHMARK(BM_BareServer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JournalSqlite)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JournalPostgres)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_rate.count("bare")) {
        for (const char* name : {"sqlite", "postgresql"})
            if (g_rate.count(name))
                std::printf(
                    "journal on %s: %.0f%% of the bare server's exchanges per second (target: 50%%)\n", name,
                    100.0 * g_rate[name] / g_rate["bare"]);
    }
    return 0;
}
