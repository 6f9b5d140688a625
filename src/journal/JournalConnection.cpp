#include "JournalConnection.h"

#include "JournalLog.h"
#include "JournalServer.h"

#include <QDateTime>
#include <QPointer>
#include <QTcpSocket>

namespace {
// What a socket may hold unread while its report waits for the database; the operating system
// holds the rest, and the client's sending stalls rather than our memory growing.
constexpr qint64 ReadBufferBytes = 64 * 1024;

bool ValidSessionId(const QByteArray& id) {
    return !id.isEmpty() && id.size() <= JournalConnection::MaxSessionIdBytes;
}
} // namespace

JournalConnection::JournalConnection(JournalServer& server, QTcpSocket* socket)
    : QObject(&server), m_server(server), m_socket(socket), m_reader(server.Limits().maxBlockBytes) {
    m_socket->setParent(this);
    m_socket->setReadBufferSize(ReadBufferBytes);
    ++m_server.m_connections;
    m_lastInput.start();
    m_lastOutput.start();
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        Fail(m_reader.Buffered() > 0 || m_reader.PendingBlock() >= 0
                 ? QStringLiteral("a line or block did not end in time")
                 : QStringLiteral("idle too long"));
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &JournalConnection::Pump);
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        m_lastOutput.restart();
        Rearm();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        m_peerGone = true;
        if (m_step == Step::Withheld)
            Finish();
        else
            Pump();
    });
    Rearm();
}

JournalConnection::~JournalConnection() {
    --m_server.m_connections;
}

QString JournalConnection::Peer() const {
    return m_socket->peerAddress().toString();
}

void JournalConnection::Drop() {
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    m_socket->abort();
    deleteLater();
}

void JournalConnection::Finish() {
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    if (m_socket->state() == QAbstractSocket::ConnectedState) {
        // Whatever is still being written goes out before the connection closes.
        connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        m_socket->disconnectFromHost();
        if (m_socket->state() != QAbstractSocket::UnconnectedState) {
            // A client that never reads the rest must not keep the connection.
            QTimer::singleShot(m_server.Limits().partialMs, this, [this] { m_socket->abort(); });
            return;
        }
    }
    deleteLater();
}

void JournalConnection::Fail(const QString& why) {
    if (m_finished)
        return;
    qCWarning(lcJournal).noquote() << Peer() << "connection dropped:" << why;
    Drop();
}

void JournalConnection::Send(const QByteArray& bytes) {
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (m_socket->bytesToWrite() == 0)
        m_lastOutput.restart();
    m_socket->write(bytes);
}

void JournalConnection::Pump() {
    if (m_finished || m_step == Step::Committing || m_step == Step::Withheld)
        return;
    if (m_step != Step::Closing)
        m_reader.Append(m_socket->readAll());
    while (m_step != Step::Committing && m_step != Step::Closing) {
        const bool block =
            m_step == Step::StartBlock || m_step == Step::ProgressBlock || m_step == Step::ResultBlock;
        QByteArray item;
        const WireReader::Take take = block ? m_reader.TakeBlock(item) : m_reader.TakeLine(item);
        if (take == WireReader::Take::NeedMore)
            break;
        if (take == WireReader::Take::Error) {
            Fail(m_reader.ErrorText());
            return;
        }
        m_lastInput.restart();
        m_partialFrom.invalidate();
        if (!(block ? HandleBlock(item) : HandleLine(item)))
            return;
    }
    if (m_step == Step::Closing || (m_peerGone && m_step != Step::Committing)) {
        Finish();
        return;
    }
    Rearm();
}

bool JournalConnection::HandleLine(const QByteArray& line) {
    switch (m_step) {
    case Step::Request:
        if (line == "TEST") {
            m_step = Step::TestComputer;
        } else if (line == "GETLIST") {
            m_step = Step::ListComputer;
        } else if (line == "GETTEST") {
            m_step = Step::GetComputer;
        } else if (line == "INFOBEGIN") {
            m_step = Step::StartBlock;
        } else if (line == "INFOPROCESS") {
            m_step = Step::ProgressBlock;
        } else if (line == "RESULT") {
            m_step = Step::ResultSession;
        } else if (line == "QUIT") {
            m_step = Step::Closing;
        } else {
            Fail(QStringLiteral("unknown request \"%1\"")
                     .arg(QString::fromLatin1(line.left(40).toPercentEncoding(" "))));
            return false;
        }
        return true;
    case Step::TestComputer:
        Send(Wire::Line("OK"));
        m_step = Step::Request;
        return true;
    case Step::ListComputer: {
        const QList<QByteArray> entries = m_server.Shelf().Entries();
        QByteArray reply = Wire::Line("YES") + Wire::Line(QByteArray::number(entries.size()));
        for (const QByteArray& e : entries)
            reply += Wire::Line(e);
        Send(reply);
        m_step = Step::Request;
        return true;
    }
    case Step::GetComputer:
        m_step = Step::GetEntry;
        return true;
    case Step::GetEntry: {
        QByteArray bytes;
        const Status read = m_server.Shelf().Read(line, bytes);
        if (read.Ok()) {
            Send(Wire::Line("YES") + Wire::Line(line) + Wire::Block(bytes));
            qCInfo(lcJournal).noquote()
                << Peer() << "fetched" << QString::fromLatin1(line.toPercentEncoding("/ "));
        } else {
            Send(Wire::Line("NO"));
            qCWarning(lcJournal).noquote()
                << Peer() << "refused the test" << QString::fromLatin1(line.toPercentEncoding("/ ")) << ":"
                << read.Detail();
        }
        m_step = Step::Request;
        return true;
    }
    case Step::ResultSession:
        m_sessionId = line;
        m_step = Step::ResultBlock;
        return true;
    default:
        return true;
    }
}

bool JournalConnection::HandleBlock(const QByteArray& block) {
    JournalReport report;
    report.receivedAt = QDateTime::currentDateTimeUtc();
    report.peer = Peer();
    Status decoded;
    QByteArray sessionId;
    const char* what = "";
    switch (m_step) {
    case Step::StartBlock:
        what = "session start";
        report.kind = JournalReport::Kind::Start;
        decoded = DecodeStartRecord(block, report.start);
        sessionId = report.start.SessionId;
        break;
    case Step::ProgressBlock:
        what = "progress report";
        report.kind = JournalReport::Kind::Progress;
        decoded = DecodeProgressRecord(block, report.progress);
        sessionId = report.progress.SessionId;
        break;
    case Step::ResultBlock:
        what = "result";
        report.kind = JournalReport::Kind::Result;
        decoded = DecodeResultRecord(block, report.result);
        report.resultBytes = block;
        report.sessionId = sessionId = std::exchange(m_sessionId, {});
        break;
    default:
        return true;
    }
    if (decoded.Ok() && !ValidSessionId(sessionId))
        decoded = Status::Failed(Fault::Corrupt, QStringLiteral("no usable session identifier"));
    if (!decoded.Ok()) {
        qCWarning(lcJournal).noquote()
            << Peer() << "dropped a" << what << "that does not parse:" << decoded.Detail();
        Send(Wire::Line("NO"));
        m_step = Step::Request;
        return true;
    }
    Submit(std::move(report));
    return true;
}

void JournalConnection::Submit(JournalReport report) {
    m_step = Step::Committing;
    m_deadline.stop();
    const QString peer = Peer();
    const char* what = report.kind == JournalReport::Kind::Start      ? "session start"
                       : report.kind == JournalReport::Kind::Progress ? "progress"
                                                                      : "result";
    const QByteArray sessionId = report.kind == JournalReport::Kind::Start      ? report.start.SessionId
                                 : report.kind == JournalReport::Kind::Progress ? report.progress.SessionId
                                                                                : report.sessionId;
    QPointer<JournalConnection> self(this);
    m_server.Queue().Submit(std::move(report), [self, peer, what, sessionId](ReportOutcome outcome) {
        if (outcome == ReportOutcome::Failed)
            qCWarning(lcJournal).noquote() << peer << "could not store the" << what << "of" << sessionId;
        else if (outcome == ReportOutcome::Duplicate)
            qCInfo(lcJournal).noquote() << peer << "sent the result of" << sessionId << "again; kept once";
        if (!self)
            return;
        if (outcome == ReportOutcome::Failed) {
            // The pupil's program counts a report as delivered once the server answers or closes;
            // a report that is not stored gets neither, so that the program keeps it and sends it
            // again. The connection is dropped when the client gives up, or after the idle bound.
            self->m_step = Step::Withheld;
            self->m_deadline.start(self->m_server.Limits().idleMs);
            return;
        }
        // The acknowledgement follows the commit.
        self->Send(Wire::Line("OK"));
        self->m_step = Step::Request;
        QMetaObject::invokeMethod(self, &JournalConnection::Pump, Qt::QueuedConnection);
    });
}

void JournalConnection::Rearm() {
    if (m_step == Step::Withheld)
        return;
    if (m_finished || m_step == Step::Committing) {
        m_deadline.stop();
        return;
    }
    const JournalLimits& limits = m_server.Limits();
    qint64 left;
    if (m_socket->bytesToWrite() > 0) {
        left = limits.partialMs - m_lastOutput.elapsed();
    } else if (m_reader.Buffered() > 0 || m_reader.PendingBlock() >= 0) {
        if (!m_partialFrom.isValid())
            m_partialFrom.start();
        left = limits.partialMs - m_partialFrom.elapsed();
    } else {
        left = limits.idleMs - m_lastInput.elapsed();
    }
    m_deadline.start(int(qMax<qint64>(0, left)));
}
