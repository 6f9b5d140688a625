// Feeds arbitrary bytes to the journal server as one client's connection: the request lines, the
// computers' names, the entries asked for, the blocks and records of the reports. The first byte
// chooses how the store answers the reports (stored, already there, refused) and how the bytes are
// cut into the pieces the socket delivers. Any crash, leak or hang is a fault, and so is a
// connection that outlives its client, a report stored that does not read back as it came, or a
// test handed out from outside the teacher's folder.
#include "FuzzInput.h"
#include "journal/JournalServer.h"
#include "journal/JournalStore.h"
#include "model/TestWriter.h"
#include "net/Records.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

// Stores nothing; answers each report with the outcome the input chose.
class Store final : public JournalStore {
public:
    quint8 choice = 0;
    Status Open() override { return {}; }
    void Close() override {}
    QString Describe() const override { return QStringLiteral("fuzz"); }
    Status Apply(const QList<JournalReport>& reports, QList<ReportOutcome>& outcomes) override {
        outcomes.clear();
        for (const JournalReport& r : reports) {
            if (r.kind == JournalReport::Kind::Result) {
                TResultTest again(0);
                FUZZ_CHECK(DecodeResultRecord(r.resultBytes, again).Ok());
                FUZZ_CHECK(again.SameStoredFields(r.result));
            }
            outcomes.append(ReportOutcome(choice++ % 3));
        }
        if (choice & 8)
            return Status::Failed(Fault::WriteFailed, QStringLiteral("the database refused"));
        return {};
    }
    Status ListSessions(QList<SessionRow>& rows) override {
        rows.clear();
        return {};
    }
    Status ListResults(QList<ExportedResult>& results, const std::optional<QString>&,
                       const std::optional<QString>&) override {
        results.clear();
        return {};
    }
};

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

struct Server {
    QTemporaryDir dir{FuzzTempPattern()};
    Store store;
    std::unique_ptr<JournalServer> server;
    Server() {
        const QString shelf = dir.filePath(QStringLiteral("tests"));
        TTest test({}, {}, {});
        test.Title = "T";
        Write(shelf + QStringLiteral("/a.qzf"), WriteTestFile(test, {}, {}));
        Write(shelf + QStringLiteral("/sub/b.qzf"), WriteTestFile(test, {}, {{"p.png", "png"}}));
        // Beside the shelf, never to be handed out.
        Write(dir.filePath(QStringLiteral("secret.qzf")), "secret");
        JournalLimits limits;
        limits.idleMs = 200;
        limits.partialMs = 200;
        limits.maxBlockBytes = 1 << 20;
        server = std::make_unique<JournalServer>(store, TestShelf(shelf), limits);
        FUZZ_CHECK(server->Listen(QHostAddress::LocalHost, 0).Ok());
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    MakeCoreApplication(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static Server s;
    FuzzInput in(data, size);
    const quint8 mode = in.Byte();
    s.store.choice = mode & 0x0F;
    const qsizetype piece = (mode >> 4) == 0 ? qsizetype(1) << 30 : qsizetype(mode >> 4) * 7;
    const QByteArray bytes = in.Rest();

    QTcpSocket client;
    QByteArray received;
    QObject::connect(&client, &QTcpSocket::readyRead, [&] { received += client.readAll(); });
    client.connectToHost(QHostAddress::LocalHost, s.server->Port());
    FUZZ_CHECK(client.waitForConnected(5000));
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        client.write(bytes.sliced(at, std::min(piece, bytes.size() - at)));
        client.flush();
        QCoreApplication::processEvents();
    }
    client.disconnectFromHost();

    // The server must let go of the connection by itself once the client is gone.
    QElapsedTimer waited;
    waited.start();
    while ((s.server->ConnectionCount() > 0 || client.state() != QAbstractSocket::UnconnectedState) &&
           waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    FUZZ_CHECK(s.server->ConnectionCount() == 0);
    FUZZ_CHECK(!received.contains("secret"));
    // Connections are deleted later; let them go before the next input.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
