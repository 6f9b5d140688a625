#include "Exchange.h"

#include "model/TextCodec.h"
#include "settings/Settings.h"

#include <QTcpSocket>

namespace {
// The socket reads at most this much ahead of us; a server that floods is held back by TCP.
constexpr qint64 SocketBufferBytes = 256 * 1024;
} // namespace

Endpoint Endpoint::FromSettings(const TSettings& settings) {
    return {TextCodec::FromCp1251(settings.RemoteHost), settings.RemotePort};
}

Exchange::Exchange(Endpoint endpoint, ExchangeLimits limits, qint64 maxBlockBytes, QObject* parent)
    : QObject(parent), m_endpoint(std::move(endpoint)), m_limits(limits), m_maxBlock(maxBlockBytes),
      m_reader(maxBlockBytes) {
    m_deadline.setSingleShot(true);
    m_connectTimer.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &Exchange::OnDeadline);
    connect(&m_connectTimer, &QTimer::timeout, this, &Exchange::OnConnectTimeout);
}

Exchange::~Exchange() {
    ReleaseSocket();
}

void Exchange::Start() {
    if (m_startedOnce)
        return;
    m_startedOnce = true;
    m_started.start();
    m_deadline.start(m_limits.exchangeMs);
    Connect();
}

void Exchange::Abort() {
    if (m_finished)
        return;
    m_outcome = Status::Failed(Fault::Cancelled, QStringLiteral("the exchange was cancelled"));
    m_closing = true;
    ReleaseSocket();
    Complete();
}

void Exchange::Connect() {
    if (m_finished || m_closing)
        return;
    ReleaseSocket();
    m_reader = WireReader(m_maxBlock);
    m_quitSent = false;
    m_sent = m_written = 0;
    if (m_endpoint.port <= 0 || m_endpoint.port > 65535) {
        // Reported from the event loop like any other connection failure.
        QTimer::singleShot(0, this, [this] {
            if (!m_finished && !m_closing && !m_socket)
                ConnectionFailed(QStringLiteral("port %1 is not a TCP port").arg(m_endpoint.port));
        });
        return;
    }
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(SocketBufferBytes);
    connect(m_socket, &QTcpSocket::connected, this, &Exchange::OnConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &Exchange::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &Exchange::OnDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &Exchange::OnError);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &Exchange::OnBytesWritten);
    m_connectTimer.start(m_limits.connectMs);
    m_socket->connectToHost(m_endpoint.host, quint16(m_endpoint.port), QIODevice::ReadWrite,
                            QAbstractSocket::IPv4Protocol);
}

void Exchange::DropConnection() {
    m_connectTimer.stop();
    ReleaseSocket();
}

void Exchange::ReleaseSocket() {
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

bool Exchange::IsConnected() const {
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void Exchange::Send(QByteArrayView bytes) {
    if (!IsConnected())
        return;
    m_sent += bytes.size();
    m_socket->write(bytes.data(), bytes.size());
}

void Exchange::OnBytesWritten(qint64 bytes) {
    m_written += bytes;
}

void Exchange::SendQuit() {
    if (m_quitSent || !IsConnected())
        return;
    m_quitSent = true;
    Send(Wire::Line("QUIT"));
}

void Exchange::StopClock() {
    m_deadline.stop();
}

void Exchange::RestartClock(int ms) {
    if (!m_finished)
        m_deadline.start(ms);
}

void Exchange::Close(Status outcome) {
    if (m_finished || m_closing)
        return;
    m_outcome = std::move(outcome);
    m_closing = true;
    m_connectTimer.stop();
    if (!IsConnected()) {
        ReleaseSocket();
        Complete();
        return;
    }
    SendQuit();
    // disconnected() follows once the bytes are out; a peer that does not take them is given the
    // grace time and then cut off.
    m_deadline.start(m_limits.closeGraceMs);
    m_socket->disconnectFromHost();
    if (m_socket && m_socket->state() == QAbstractSocket::UnconnectedState) {
        ReleaseSocket();
        Complete();
    }
}

void Exchange::Fail(Fault fault, const QString& why) {
    Close(Status::Failed(fault, why));
}

void Exchange::PeerClosed() {
    Fail(Fault::Network, QStringLiteral("the server closed the connection"));
}

void Exchange::ConnectionFailed(const QString& why) {
    Fail(Fault::Network, why);
}

void Exchange::OnConnected() {
    m_connectTimer.stop();
    if (!m_finished && !m_closing)
        Connected();
}

void Exchange::OnReadyRead() {
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (m_finished || m_closing || bytes.isEmpty())
        return;
    m_reader.Append(bytes);
    // Replies are taken as they come; a server that sends far more than anything it was asked for
    // is not given the memory.
    if (m_reader.Buffered() > m_maxBlock + 4 * Wire::MaxLineBytes + SocketBufferBytes) {
        Fail(Fault::Corrupt, QStringLiteral("the server sends more than was asked for"));
        return;
    }
    Received();
}

void Exchange::OnDisconnected() {
    if (m_finished)
        return;
    if (m_closing) {
        ReleaseSocket();
        Complete();
        return;
    }
    // What arrived together with the close still counts.
    if (m_socket && m_socket->bytesAvailable() > 0)
        OnReadyRead();
    if (!m_finished && !m_closing)
        PeerClosed();
}

void Exchange::OnError() {
    if (m_finished || !m_socket)
        return;
    const QAbstractSocket::SocketError error = m_socket->error();
    // A close by the server is followed by disconnected(), which decides.
    if (error == QAbstractSocket::RemoteHostClosedError &&
        m_socket->state() != QAbstractSocket::UnconnectedState)
        return;
    if (m_closing) {
        ReleaseSocket();
        Complete();
        return;
    }
    if (error == QAbstractSocket::RemoteHostClosedError) {
        OnDisconnected();
        return;
    }
    const QString why = m_socket->errorString();
    m_connectTimer.stop();
    ReleaseSocket();
    ConnectionFailed(why);
}

void Exchange::OnConnectTimeout() {
    if (m_finished || m_closing || IsConnected())
        return;
    m_deadline.stop();
    ReleaseSocket();
    ConnectionFailed(QStringLiteral("no connection within %1 ms").arg(m_limits.connectMs));
}

void Exchange::OnDeadline() {
    if (m_finished)
        return;
    if (m_closing) {
        ReleaseSocket();
        Complete();
        return;
    }
    Fail(Fault::Network, QStringLiteral("the server did not answer in time"));
}

void Exchange::Complete() {
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    m_connectTimer.stop();
    // Whoever listens may delete the exchange; it must not do so inside a signal of the socket.
    QMetaObject::invokeMethod(this, &Exchange::Finished, Qt::QueuedConnection);
}
