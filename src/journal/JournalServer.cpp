#include "JournalServer.h"

#include "JournalConnection.h"
#include "JournalLog.h"

#include <QTcpServer>
#include <QTcpSocket>

JournalServer::JournalServer(JournalStore& store, TestShelf shelf, JournalLimits limits, QObject* parent)
    : QObject(parent), m_shelf(std::move(shelf)), m_limits(limits), m_queue(store) {
    connect(&m_queue, &CommitQueue::Committed, this, &JournalServer::Changed);
}

JournalServer::~JournalServer() {
    Stop();
    // The connections go while the server they count themselves in still stands.
    qDeleteAll(findChildren<JournalConnection*>(Qt::FindDirectChildrenOnly));
}

Status JournalServer::Listen(const QHostAddress& address, quint16 port) {
    delete m_listener;
    m_listener = new QTcpServer(this);
    // Accepting is cheap; a burst of a whole class connecting at once must not be refused by a
    // short queue in the kernel.
    m_listener->setMaxPendingConnections(1024);
    m_listener->setListenBacklogSize(1024);
    connect(m_listener, &QTcpServer::pendingConnectionAvailable, this, &JournalServer::Accept);
    if (!m_listener->listen(address, port)) {
        const QString why = m_listener->errorString();
        delete m_listener;
        m_listener = nullptr;
        return Status::Failed(
            Fault::Network,
            QStringLiteral("cannot listen on %1 port %2: %3").arg(address.toString()).arg(port).arg(why));
    }
    m_stopping = false;
    return {};
}

quint16 JournalServer::Port() const {
    return m_listener ? m_listener->serverPort() : 0;
}

void JournalServer::Accept() {
    while (m_listener && m_listener->hasPendingConnections()) {
        QTcpSocket* socket = m_listener->nextPendingConnection();
        if (m_stopping || m_connections >= m_limits.maxConnections) {
            qCWarning(lcJournal).noquote()
                << socket->peerAddress().toString() << "turned away: too many connections";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new JournalConnection(*this, socket);
    }
}

void JournalServer::Stop() {
    m_stopping = true;
    if (m_listener)
        m_listener->close();
    // Every report that was read is committed before its connection goes.
    m_queue.Flush();
    for (JournalConnection* c : findChildren<JournalConnection*>(Qt::FindDirectChildrenOnly))
        c->Drop();
}
