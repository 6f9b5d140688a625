#pragma once
// The protocol side of the journal: one event-driven listener, one state machine per connection,
// all on one thread. Reports go through the commit queue; tests are read from the shelf.
#include "CommitQueue.h"
#include "TestShelf.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>

class JournalConnection;
class QTcpServer;

struct JournalLimits {
    // Between complete lines a connection may rest this long: the pupil's program keeps its fetch
    // open while the pupil chooses a test in a dialog.
    int idleMs = 120000;
    // A line or block that has begun must be complete within this time, and a reply being sent
    // must keep moving; a client that trickles bytes is dropped after it.
    int partialMs = 30000;
    // The largest block a client may send; no report comes near it.
    qint64 maxBlockBytes = qint64(16) << 20;
    // Connections beyond this many are closed as soon as they are accepted.
    int maxConnections = 4096;
};

class JournalServer : public QObject {
    Q_OBJECT
public:
    JournalServer(JournalStore& store, TestShelf shelf, JournalLimits limits = {}, QObject* parent = nullptr);
    ~JournalServer() override;

    Status Listen(const QHostAddress& address, quint16 port);
    quint16 Port() const;

    // Stops accepting, commits what waits, and closes every connection.
    void Stop();

    const TestShelf& Shelf() const { return m_shelf; }
    const JournalLimits& Limits() const { return m_limits; }
    CommitQueue& Queue() { return m_queue; }
    int ConnectionCount() const { return m_connections; }

signals:
    // Something new was committed.
    void Changed();

private:
    void Accept();

    TestShelf m_shelf;
    JournalLimits m_limits;
    CommitQueue m_queue;
    QTcpServer* m_listener = nullptr;
    int m_connections = 0;
    bool m_stopping = false;

    friend class JournalConnection;
};
