#include "JournalCommands.h"

#include "JournalLog.h"
#include "JournalServer.h"
#include "JournalStore.h"
#include "JournalWeb.h"
#include "StopSignals.h"
#include "results/ResultFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <map>

namespace {
void Print(const QByteArray& bytes, FILE* to = stdout) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

void Error(const QString& text) {
    Print("quizar-journal: " + text.toUtf8() + '\n', stderr);
}

QString DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString DefaultDatabase() {
    return u"sqlite:"_qs + QDir(DataFolder()).filePath(u"journal.sqlite"_qs);
}

// "--name value" options and plain words. Returns false on an unknown option or a missing value.
bool ParseOptions(const QStringList& args, const QStringList& valued, const QStringList& flags,
                  std::map<QString, QString>& options, QStringList& words) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(u"--")) {
            words.append(a);
        } else if (valued.contains(a)) {
            if (i + 1 >= args.size())
                return false;
            options[a] = args[++i];
        } else if (flags.contains(a)) {
            options[a] = QString();
        } else {
            return false;
        }
    }
    return true;
}

bool OpenStore(const QString& url, std::unique_ptr<JournalStore>& store) {
    if (const Status made = MakeJournalStore(url, u"journal"_qs, store); !made.Ok()) {
        Error(made.Detail());
        return false;
    }
    if (const Status opened = store->Open(); !opened.Ok()) {
        Error(opened.Detail());
        return false;
    }
    return true;
}

bool ParsePort(const QString& text, quint16& port) {
    bool ok = false;
    const uint v = text.toUInt(&ok);
    if (!ok || v > 65535)
        return false;
    port = quint16(v);
    return true;
}
} // namespace

int ServeCommand(const QStringList& args) {
    const char usage[] =
        "usage: quizar-journal serve [--tests DIR] [--listen ADDR] [--port N] [--web-port N]\n"
        "                            [--web-listen ADDR] [--database URL]\n";
    std::map<QString, QString> o;
    QStringList words;
    if (!ParseOptions(args, {"--tests", "--listen", "--port", "--web-port", "--web-listen", "--database"}, {},
                      o, words) ||
        !words.isEmpty()) {
        Print(usage, stderr);
        return 2;
    }
    const QString testsFolder = o.count("--tests") ? o["--tests"] : QDir(DataFolder()).filePath(u"tests"_qs);
    QHostAddress address(o.count("--listen") ? o["--listen"] : u"0.0.0.0"_qs);
    // The page listens where the protocol does unless told otherwise.
    QHostAddress webAddress = o.count("--web-listen") ? QHostAddress(o["--web-listen"]) : address;
    quint16 port = 5005;
    quint16 webPort = 5080;
    if (address.isNull() || webAddress.isNull() || (o.count("--port") && !ParsePort(o["--port"], port)) ||
        (o.count("--web-port") && !ParsePort(o["--web-port"], webPort))) {
        Print(usage, stderr);
        return 2;
    }
    if (!QDir().mkpath(testsFolder)) {
        Error(QStringLiteral("cannot create the tests folder %1").arg(testsFolder));
        return 1;
    }
    std::unique_ptr<JournalStore> store;
    if (!OpenStore(o.count("--database") ? o["--database"] : DefaultDatabase(), store))
        return 1;

    JournalServer server(*store, TestShelf(testsFolder));
    if (const Status s = server.Listen(address, port); !s.Ok()) {
        Error(s.Detail());
        return 1;
    }
    JournalWeb web(*store);
    if (const Status s = web.Listen(webAddress, webPort); !s.Ok()) {
        Error(s.Detail());
        return 1;
    }
    QObject::connect(&server, &JournalServer::Changed, &web, &JournalWeb::Invalidate);

    StopSignals stop;
    QObject::connect(&stop, &StopSignals::StopRequested, &server, [&](int number) {
        qCInfo(lcJournal).noquote() << "signal" << number << "- stopping";
        server.Stop();
        QCoreApplication::quit();
    });
    // The ports actually taken (a port of 0 lets the system choose), for the teacher and for tests.
    Error(QStringLiteral("serving tests from %1 on %2 port %3; the page is on http://%4:%5/; database %6")
              .arg(QDir(testsFolder).absolutePath(), address.toString())
              .arg(server.Port())
              .arg(webAddress.toString())
              .arg(web.Port())
              .arg(store->Describe()));
    const int code = QCoreApplication::exec();
    server.Stop();
    store->Close();
    Error(u"stopped"_qs);
    return code;
}

int ResultsCommand(const QStringList& args) {
    std::map<QString, QString> o;
    QStringList words;
    if (!ParseOptions(args, {"--database"}, {"--csv"}, o, words) || !words.isEmpty()) {
        Print("usage: quizar-journal results [--database URL] [--csv]\n", stderr);
        return 2;
    }
    std::unique_ptr<JournalStore> store;
    if (!OpenStore(o.count("--database") ? o["--database"] : DefaultDatabase(), store))
        return 1;
    QList<ExportedResult> results;
    if (const Status s = store->ListResults(results); !s.Ok()) {
        Error(s.Detail());
        return 1;
    }
    Print(o.count("--csv") ? ResultsCsv(results, true) : ResultsJson(results));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int ImportCommand(const QStringList& args) {
    std::map<QString, QString> o;
    QStringList files;
    if (!ParseOptions(args, {"--database"}, {}, o, files) || files.isEmpty()) {
        Print("usage: quizar-journal import [--database URL] FILE.qzpr...\n", stderr);
        return 2;
    }
    std::unique_ptr<JournalStore> store;
    if (!OpenStore(o.count("--database") ? o["--database"] : DefaultDatabase(), store))
        return 1;
    int code = 0;
    for (const QString& file : files) {
        QList<TResultTest> records;
        if (const Status read = ReadProtectedResults(file, records); !read.Ok()) {
            Error(QStringLiteral("%1: %2").arg(file, read.Detail()));
            code = 1;
            continue;
        }
        QList<JournalReport> reports;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (const TResultTest& r : records)
            reports.append(JournalReport::Imported(r, now));
        QList<ReportOutcome> outcomes;
        // One transaction per file: a file is imported whole or not at all.
        if (const Status s = store->Apply(reports, outcomes);
            !s.Ok() || outcomes.contains(ReportOutcome::Failed)) {
            Error(QStringLiteral("%1: %2").arg(file,
                                               s.Ok() ? u"some records could not be stored"_qs : s.Detail()));
            code = 1;
            continue;
        }
        const auto added = outcomes.count(ReportOutcome::Stored);
        Print(QStringLiteral("%1: %2 records, %3 added, %4 already in the journal\n")
                  .arg(file)
                  .arg(records.size())
                  .arg(added)
                  .arg(records.size() - added)
                  .toUtf8());
    }
    return code;
}
