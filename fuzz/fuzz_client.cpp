// Feeds arbitrary replies of a teacher's server to the pupil's program: the list of tests and the
// test file of a fetch, the answer to the connection test, whatever comes back to a report. A
// small server on 127.0.0.1 answers each request with the next part of the input (the parts are
// cut at each "\0\0"); the first byte chooses the exchange and whether the server closes the
// connection after each answer, the second which test the pupil chooses. Any crash, leak or hang
// is a fault, and so is an exchange that does not end by itself within its bounds or ends with an
// outcome that contradicts what it holds.
#include "FuzzInput.h"
#include "net/ConnectionTest.h"
#include "net/FetchExchange.h"
#include "net/ReportExchange.h"
#include "net/TestEntries.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Answers each request with the next part of the input, as a server answers each request line;
// "QUIT" ends the connection.
struct Server {
    QTcpServer listener;
    QList<QByteArray> replies;
    bool closeAfterReply = false;
    int answered = 0;

    Server() {
        FUZZ_CHECK(listener.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&listener, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = listener.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    for (const char* word : {"TEST\r\n", "GETLIST\r\n", "GETTEST\r\n", "INFOPROCESS\r\n"})
                        if (request.contains(word) && !replies.isEmpty())
                            socket->write(replies[answered++ % replies.size()]);
                    if (closeAfterReply || request.contains("QUIT\r\n"))
                        socket->disconnectFromHost();
                });
            }
        });
    }
};

ExchangeLimits ShortLimits() {
    ExchangeLimits l;
    l.connectMs = 1000;
    l.exchangeMs = 100;
    l.stallMs = 50;
    l.downloadMs = 100;
    l.closeGraceMs = 50;
    return l;
}

// Runs the exchange to its end; it must get there within its own bounds.
void RunToEnd(Exchange& exchange) {
    bool finished = false;
    QObject::connect(&exchange, &Exchange::Finished, [&] { finished = true; });
    exchange.Start();
    QElapsedTimer waited;
    waited.start();
    while (!finished && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    FUZZ_CHECK(finished && exchange.IsFinished());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    MakeCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static Server server;
    FuzzInput in(data, size);
    const quint8 mode = in.Byte();
    const int choice = int(in.Byte()) - 1;
    server.replies.clear();
    while (!in.Empty() && server.replies.size() < 3)
        server.replies.append(in.Part(QByteArrayView("\0\0", 2)));
    server.closeAfterReply = mode & 4;
    server.answered = 0;
    const Endpoint endpoint{QStringLiteral("127.0.0.1"), server.listener.serverPort()};

    switch (mode % 4) {
    case 0:
    case 1: {
        // The pupil answers at once or from the event loop later, as the dialog does.
        const bool later = mode & 8;
        FetchExchange fetch(
            endpoint, "PC",
            [&](const QList<QByteArray>& entries, std::function<void(int)> choose) {
                FUZZ_CHECK(entries.size() >= 2);
                SelectTestItems(entries);
                if (later)
                    QTimer::singleShot(0, [choose, choice] { choose(choice); });
                else
                    choose(choice);
            },
            ShortLimits());
        RunToEnd(fetch);
        const FetchOutcome outcome = fetch.Result();
        FUZZ_CHECK(fetch.Entries().size() <= NetLimits::MaxTestEntries);
        FUZZ_CHECK((outcome.end == FetchEnd::Failed) == !outcome.status.Ok());
        FUZZ_CHECK(outcome.end == FetchEnd::Loaded || outcome.testFile.isEmpty());
        FUZZ_CHECK(outcome.testFile.size() <= NetLimits::MaxTestFileBytes);
        break;
    }
    case 2: {
        ConnectionTest test(endpoint, "PC", ShortLimits());
        RunToEnd(test);
        test.NoticeToShow();
        break;
    }
    case 3: {
        ReportExchange report(endpoint, ShortLimits(),
                              ReportExchange::ProgressMessage(ProgressRecord{"{S}", 1, 1, 0, 0, 1.0, 1}));
        RunToEnd(report);
        break;
    }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
