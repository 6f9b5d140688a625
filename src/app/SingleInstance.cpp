#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace {
// A later copy writes its message at once; one that takes longer is given up.
constexpr int ConnectionTimeoutMs = 5000;
} // namespace

SingleInstance::SingleInstance(QString name, QString folder, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_folder(std::move(folder)) {
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_folder.isEmpty())
        m_folder = QDir::tempPath();
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
}

SingleInstance::~SingleInstance() {
    m_server.close();
}

QString SingleInstance::SocketPath() const {
    return QDir(m_folder).filePath(m_name);
}

QString SingleInstance::LockPath() const {
    return QDir(m_folder).filePath(m_name + QStringLiteral(".lock"));
}

SingleInstance::Role SingleInstance::Start() {
    const Role role = TakeLock();
    if (role == Role::First && !Listen())
        return Role::Failed;
    return role;
}

SingleInstance::Role SingleInstance::TakeLock() {
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(LockPath());
    // A lock whose owner is gone is stale at once; a live owner keeps it however old it is.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Role::First;
    if (m_lock->error() == QLockFile::LockFailedError)
        return Role::Later;
    return Role::Failed;
}

bool SingleInstance::Listen() {
    // Whoever held the lock before us is gone, so a socket file still there is theirs.
    QLocalServer::removeServer(SocketPath());
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(SocketPath()))
        return true;
    m_lock->unlock();
    return false;
}

bool SingleInstance::SendMessage(const QByteArray& message, int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The first copy may hold the lock but not listen yet: try again until the deadline.
    while (true) {
        socket.connectToServer(SocketPath(), QIODevice::WriteOnly);
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired())
            return false;
        socket.abort();
        QThread::msleep(50);
    }
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() ||
            !socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(int(std::max<qint64>(1, deadline.remainingTime())));
    return true;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        auto pending = std::make_shared<Pending>();
        m_messages.enqueue(pending);
        connect(socket, &QLocalSocket::readyRead, socket, [socket, pending] {
            pending->data.append(socket->readAll());
            if (pending->data.size() > MaxMessageBytes) {
                pending->refused = true;
                socket->abort();
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, pending] {
            if (!pending->refused)
                pending->data.append(socket->readAll());
            pending->refused = pending->refused || pending->data.size() > MaxMessageBytes;
            pending->complete = true;
            socket->deleteLater();
            emit MessageArrived();
        });
        // A sender that never finishes must not hold up the ones behind it.
        QTimer::singleShot(ConnectionTimeoutMs, socket, [this, socket, pending] {
            pending->refused = true;
            if (socket->state() != QLocalSocket::UnconnectedState) {
                socket->abort(); // ends in `disconnected` above
                return;
            }
            pending->complete = true;
            socket->deleteLater();
            emit MessageArrived();
        });
    }
}

void SingleInstance::SkipRefused() {
    while (!m_messages.isEmpty() && m_messages.head()->complete && m_messages.head()->refused)
        m_messages.dequeue();
}

bool SingleInstance::HasMessages() {
    SkipRefused();
    return !m_messages.isEmpty() && m_messages.head()->complete;
}

QByteArray SingleInstance::ReadMessage() {
    return HasMessages() ? m_messages.dequeue()->data : QByteArray();
}
